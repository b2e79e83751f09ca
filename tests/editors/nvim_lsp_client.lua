-- After the README's setup in init.lua: open a script with an error, wait
-- until the server's diagnostics arrive, and write them to $ZOR_OUT, one
-- "LINE:COLUMN: SEVERITY: TEXT" a line (lines from 1, columns from 0).
-- Any error ends Neovim with a failure instead of leaving it at a prompt.
local function session()
  vim.cmd('edit ' .. vim.fn.fnameescape(os.getenv('ZOR_WORK') .. '/broken.zor.txt'))
  local wait_ms = 1000 * tonumber(os.getenv('ZOR_WAIT_S') or '15')
  vim.wait(wait_ms, function() return #vim.diagnostic.get(0) > 0 end, 50)
  local shown = {}
  for _, d in ipairs(vim.diagnostic.get(0)) do
    table.insert(shown, string.format('%d:%d: %s: %s', d.lnum + 1, d.col,
      vim.diagnostic.severity[d.severity], d.message))
  end
  vim.fn.writefile(shown, os.getenv('ZOR_OUT'))
end

local ok, problem = pcall(session)
if not ok then
  io.stderr:write(tostring(problem) .. '\n')
  vim.cmd('cquit 1')
end
vim.cmd('qall!')

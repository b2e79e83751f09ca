-- Writes the file type and, for every column of every line, the stack of
-- syntax groups, one line per buffer line: groups joined by ',', columns by ' '.
-- Any error ends Neovim with a failure instead of leaving it at a prompt.
local function dump()
  local path = assert(os.getenv('ZOR_SYNTAX_OUT'), 'ZOR_SYNTAX_OUT names no file')
  local out = { vim.bo.filetype }
  for l = 1, vim.fn.line('$') do
    local cols = {}
    for c = 1, #vim.fn.getline(l) do
      local names = {}
      for _, id in ipairs(vim.fn.synstack(l, c)) do
        table.insert(names, vim.fn.synIDattr(id, 'name'))
      end
      table.insert(cols, #names > 0 and table.concat(names, ',') or '-')
    end
    table.insert(out, table.concat(cols, ' '))
  end
  vim.fn.writefile(out, path)
end

local ok, problem = pcall(dump)
if not ok then
  io.stderr:write(tostring(problem) .. '\n')
  vim.cmd('cquit 1')
end
vim.cmd('qall!')

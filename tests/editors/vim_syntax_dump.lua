-- Writes the file type and, for every column of every line, the stack of
-- syntax groups, one line per buffer line: groups joined by ',', columns by ' '.
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
vim.fn.writefile(out, assert(os.getenv('ZOR_SYNTAX_OUT'), 'ZOR_SYNTAX_OUT names no file'))
vim.cmd('qall!')

-- A real editor's session with ZorLsp, as a user would have it with the
-- README's setup: open a broken script, then a script with a failing test,
-- look at its outline and hover, run the test by its code lens, and wait for
-- the verdict on its lines. Every answer is written as one JSON line to
-- $ZOR_OUT for the driver to check; a step that gets nothing says so there.
local work = os.getenv('ZOR_WORK')
local out_path = os.getenv('ZOR_OUT')
local wait_ms = tonumber(os.getenv('ZOR_WAIT_MS') or '20000')

local received = {}
local function note(step, value)
  table.insert(received, vim.fn.json_encode({ step = step, value = value == nil and vim.NIL or value }))
end

local diagnostics = {}
local client_id
local function start()
  client_id = vim.lsp.start_client({
    name = 'zorlsp',
    cmd = { os.getenv('ZOR_LSP') },
    root_dir = work,
    init_options = { zorrun = os.getenv('ZOR_RUN') },
    handlers = {
      ['textDocument/publishDiagnostics'] = function(_, result)
        diagnostics[result.uri] = result.diagnostics
      end,
    },
  })
  assert(client_id, 'ZorLsp did not start')
  vim.api.nvim_create_autocmd({ 'BufReadPost', 'BufNewFile' }, {
    pattern = '*.zor.txt',
    callback = function(args) vim.lsp.buf_attach_client(args.buf, client_id) end,
  })
end

local function open(name)
  vim.cmd('edit ' .. vim.fn.fnameescape(work .. '/' .. name))
  return vim.uri_from_bufnr(0)
end

-- The diagnostics published for uri once accept takes them, or nil.
local function await_diagnostics(uri, accept)
  local ok = vim.wait(wait_ms, function()
    return diagnostics[uri] ~= nil and accept(diagnostics[uri])
  end, 20)
  return ok and diagnostics[uri] or nil
end

local function request(method, params)
  local client = vim.lsp.get_client_by_id(client_id)
  local answer, problem = client.request_sync(method, params, wait_ms, 0)
  if not answer then return { error = problem or 'no answer' } end
  return { error = answer.err, result = answer.result }
end

local function session()
  start()
  local broken = open('broken.zor.txt')
  note('broken', await_diagnostics(broken, function(d) return #d > 0 end))

  local verdict = open('verdict.zor.txt')
  note('verdict-open', await_diagnostics(verdict, function() return true end))
  local document = { uri = verdict }
  note('symbols', request('textDocument/documentSymbol', { textDocument = document }))
  local failing = { line = 2, character = 2 }
  note('hover', request('textDocument/hover', { textDocument = document, position = failing }))

  -- Run the failing test as a user would, through its lens, so that the
  -- command's arguments are the server's own.
  local lenses = request('textDocument/codeLens', { textDocument = document })
  note('lenses', lenses)
  local command = { command = 'zor.runTest', arguments = { verdict, failing.line } }
  for _, lens in ipairs(type(lenses.result) == 'table' and lenses.result or {}) do
    if lens.range.start.line == failing.line and lens.command
        and lens.command.command == 'zor.runTest' then
      command = lens.command
    end
  end
  note('command', command)
  note('run', request('workspace/executeCommand',
    { command = command.command, arguments = command.arguments }))
  note('verdicts', await_diagnostics(verdict, function(d) return #d > 0 end))
  note('hover-after-run', request('textDocument/hover', { textDocument = document, position = failing }))
end

local ok, problem = pcall(session)
if not ok then note('lua-error', tostring(problem)) end
local client = client_id and vim.lsp.get_client_by_id(client_id)
if client then
  client.stop()
  vim.wait(2000, function() return client.is_stopped() end, 20)
end
vim.fn.writefile(received, out_path)
vim.cmd('qall!')

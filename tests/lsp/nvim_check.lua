-- quenwick-lsp in Neovim, headless: the call hierarchy through Neovim's own commands
-- and requests, the definition, references, hover and an unsaved edit, on a copy of
-- tests/lsp/project. Started by neovim_test.py with QUENWICK_LSP and PROJECT set.
-- Written for Neovim 0.7 (vim.lsp.start_client, vim.lsp.buf.incoming_calls); exits
-- 0 when every check holds, 1 with the failures on standard error, 77 while the C
-- scan finds no definitions.
local server = os.getenv("QUENWICK_LSP")
local root = os.getenv("PROJECT")
local failures = {}

local function check(what, ok, detail)
  if not ok then table.insert(failures, what .. (detail and (": " .. vim.inspect(detail)) or "")) end
end

local function finish(status)
  for _, failure in ipairs(failures) do io.stderr:write("FAIL " .. failure .. "\n") end
  if status == 0 and #failures > 0 then status = 1 end
  vim.cmd("cquit " .. status)
end

local function request(bufnr, method, params)
  local answers = vim.lsp.buf_request_sync(bufnr, method, params, 10000)
  if not answers then return nil, "no answer to " .. method end
  for _, answer in pairs(answers) do
    if answer.err then return nil, answer.err end
    return answer.result
  end
end

local function at(bufnr, line, character)
  return { textDocument = { uri = vim.uri_from_bufnr(bufnr) },
           position = { line = line, character = character } }
end

local ok, err = pcall(function()
  vim.cmd("edit " .. root .. "/main.c")
  local main = vim.api.nvim_get_current_buf()
  local client = vim.lsp.start_client({ name = "quenwick-lsp", cmd = { server }, root_dir = root })
  assert(client, "the server did not start")
  vim.lsp.buf_attach_client(main, client)
  assert(vim.wait(20000, function()
    local c = vim.lsp.get_client_by_id(client)
    return c and c.initialized
  end), "no initialize answer")

  local symbols = request(main, "workspace/symbol", { query = "main" })
  if not symbols or #symbols == 0 then finish(77) return end

  -- The call of helper on line 6 is after a line of UTF-8 text; Neovim counts the
  -- column in UTF-16 from its own buffer.
  local line6 = vim.api.nvim_buf_get_lines(main, 5, 6, false)[1]
  local byte = line6:find("helper(", 1, true) - 1
  local _, column = vim.str_utfindex(line6, byte)  -- UTF-32 and UTF-16 indexes
  check("UTF-16 column of the call", column == 35, column)
  local items = request(main, "textDocument/prepareCallHierarchy", at(main, 5, column))
  check("one item for helper", items and #items == 1 and items[1].name == "helper", items)
  check("main.c's own static helper", items and items[1].selectionRange.start.line == 9, items)

  -- Incoming calls through Neovim's command: the quickfix list.
  vim.api.nvim_win_set_cursor(0, { 10, 11 })
  vim.fn.setqflist({})
  vim.lsp.buf.incoming_calls()
  vim.wait(10000, function() return #vim.fn.getqflist() > 0 end)
  local qf = vim.fn.getqflist()
  check("incoming calls of helper", #qf == 1 and qf[1].text == "main" and qf[1].lnum == 6
        and qf[1].col == column + 1, qf)

  -- Outgoing calls of main.
  local mainItem = request(main, "textDocument/prepareCallHierarchy", at(main, 4, 5))
  local outgoing = request(main, "callHierarchy/outgoingCalls", { item = mainItem[1] })
  local names = {}
  for _, call in ipairs(outgoing or {}) do table.insert(names, call.to.name) end
  table.sort(names)
  check("outgoing calls of main", vim.deep_equal(names, { "SQUARE", "api_compute", "helper", "twice" }), names)

  -- Definition and hover at the call; references of mul.
  local definition = request(main, "textDocument/definition", at(main, 5, column))
  check("definition of helper", definition and #definition == 1 and definition[1].range.start.line == 9, definition)
  local hover = request(main, "textDocument/hover", at(main, 5, column))
  check("hover of helper", hover and hover.contents.value:find("static int helper(int x)", 1, true), hover)
  vim.cmd("edit " .. root .. "/math.c")
  local math = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(math, client)
  local refs = request(math, "textDocument/references",
                       { textDocument = { uri = vim.uri_from_bufnr(math) }, position = { line = 0, character = 5 },
                         context = { includeDeclaration = false } })
  check("references of mul", refs and #refs == 3, refs)

  -- An unsaved edit: a new caller of mul, after a line of text beyond ASCII.
  vim.api.nvim_buf_set_lines(math, -1, -1, false,
                             { "int fresh(void) {", "  /* 表😀 */ return mul(1, 1);", "}" })
  local edited = vim.api.nvim_buf_get_lines(math, 4, 5, false)[1]
  local _, mulColumn = vim.str_utfindex(edited, edited:find("mul(", 1, true) - 1)
  local mulItem = request(math, "textDocument/prepareCallHierarchy",
                          { textDocument = { uri = vim.uri_from_bufnr(math) }, position = { line = 0, character = 5 } })
  local incoming = request(math, "callHierarchy/incomingCalls", { item = mulItem[1] })
  local fresh
  for _, call in ipairs(incoming or {}) do
    if call.from.name == "fresh" then fresh = call end
  end
  check("the unsaved caller", fresh and fresh.fromRanges[1].start.line == 4
        and fresh.fromRanges[1].start.character == mulColumn, incoming)

  -- The static namesake in util.c is called by api_compute only.
  vim.cmd("edit " .. root .. "/util.c")
  local util = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(util, client)
  local theirs = request(util, "textDocument/prepareCallHierarchy", at(util, 2, 12))
  local callers = request(util, "callHierarchy/incomingCalls", { item = theirs[1] })
  check("callers of util.c's helper", callers and #callers == 1 and callers[1].from.name == "api_compute", callers)

  vim.lsp.stop_client(client)
end)
if not ok then table.insert(failures, "error: " .. tostring(err)) end
finish(0)

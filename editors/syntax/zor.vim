" Vim syntax file for Zor test scripts (*.zor.txt).
if exists('b:current_syntax')
  finish
endif

let s:cpo_save = &cpo
set cpo&vim

" Names may hold ':' and start with '0x', so a keyword must not be glued to one.
syn iskeyword @,48-57,_,:

syn keyword zorStatement resultfile deletefile
syn keyword zorExtern extern
syn match zorVerify '\%([A-Za-z0-9_:.]\)\@<!verify:\%([A-Za-z0-9_:]\)\@!'

" At the top level a name can only be a test record's name; inside a body it
" names an entry.
syn match zorRecordName '\%([A-Za-z0-9_:.]\)\@<!\%(0x\)\=[A-Za-z_:][A-Za-z0-9_:]*\%(\[\d\+\]\)*\%(\.\%(0x\)\=[A-Za-z_:][A-Za-z0-9_:]*\%(\[\d\+\]\)*\)*'
syn region zorBody matchgroup=zorBrace start='{' end='}' transparent contains=@zorInBody

syn match zorOperator '==\|!=\|<=\|>=\|<\|>\|='

" Numbers: more than one point, or minus signs without digits, are errors.
syn match zorNumber '\%([A-Za-z0-9_:.]\)\@<!-\=\d\+\%([A-Za-z0-9_:]\)\@!'
syn match zorFloat '\%([A-Za-z0-9_:.]\)\@<!-\=\%(\d\+\.\d*\|\.\d\+\)\%([A-Za-z0-9_:]\)\@!'
syn match zorHex '\%([A-Za-z0-9_:.]\)\@<!-\=0x\x*\%([A-Za-z0-9_:]\)\@!'
syn match zorBadNumber '\%([A-Za-z0-9_:.]\)\@<!\%(-*\d*\.\d*\.[0-9.]*\|--\+[0-9.]*\|-\%([0-9.]\)\@!\)'
syn match zorBadNumber '\%([A-Za-z0-9_:.]\)\@<!\%(0*\%([1-9]\d\{10,}\|[3-9]\d\{9}\|2[2-9]\d\{8}\|21[5-9]\d\{7}\|214[8-9]\d\{6}\|2147[5-9]\d\{5}\|214749\d\{4}\|214748[4-9]\d\{3}\|2147483[7-9]\d\{2}\|21474836[5-9]\d\|214748364[8-9]\)\|-0*\%([1-9]\d\{10,}\|[3-9]\d\{9}\|2[2-9]\d\{8}\|21[5-9]\d\{7}\|214[8-9]\d\{6}\|2147[5-9]\d\{5}\|214749\d\{4}\|214748[4-9]\d\{3}\|2147483[7-9]\d\{2}\|21474836[5-9]\d\|2147483649\)\)\%([A-Za-z0-9_:]\)\@!'

" Strings: no escapes, one line, printable ASCII without the backquote.
syn match zorBadString '"[^"]*"\='
syn region zorString start='"\%([^"]\{,497}"\)\@=' end='"' oneline contains=zorBadChar,zorBlockComment
syn match zorBadChar '[^ -_a-~]' contained
" Blanks are space, tab and ';'; any other character outside the language is an error.
syn match zorStray '[^ \t;A-Za-z0-9_:.{}[\]()"=!<>/-]'

" A variable's value, or strings and text variables joined.
syn region zorParens matchgroup=zorParen start='(' end=')' contains=zorString,zorBadString,zorVariable,zorBlockComment,zorLineComment
syn match zorVariable '\%(0x\)\=[A-Za-z_:][A-Za-z0-9_:]*\%(\[\d\+\]\)*\%(\.[A-Za-z_:][A-Za-z0-9_:]*\%(\[\d\+\]\)*\)*' contained

syn match zorStray '[})]'
" Digits glued to a name, as in 0X1F: only 0x may begin one.
syn match zorStray '\%([A-Za-z0-9_:.]\)\@<!\%(0x\)\@!\d\+\ze[A-Za-z_:]'
syn match zorList '\[\]'

" Comments do not nest; a /* in a line comment ends it and opens a block comment
" (//* opens none), so code may follow the */ on a later line.
syn region zorBlockComment start='/\@<!/\*' end='\*/' contains=zorTodo
syn region zorLineComment start='//\*\=' end='$\|\%(/\*\)\@=' contains=zorTodo
syn keyword zorTodo TODO FIXME XXX contained

syn cluster zorInBody contains=zorVerify,zorOperator,zorNumber,zorFloat,zorHex,zorBadNumber,zorString,zorBadString,zorParens,zorBody,zorList,zorBlockComment,zorLineComment,zorStray

syn sync fromstart

hi def link zorStatement Statement
hi def link zorExtern StorageClass
hi def link zorVerify Keyword
hi def link zorRecordName Function
hi def link zorOperator Operator
hi def link zorNumber Number
hi def link zorFloat Float
hi def link zorHex Number
hi def link zorBadNumber Error
hi def link zorString String
hi def link zorBadString Error
hi def link zorBadChar Error
hi def link zorParen Delimiter
hi def link zorVariable Identifier
hi def link zorBrace Delimiter
hi def link zorStray Error
hi def link zorList Delimiter
hi def link zorBlockComment Comment
hi def link zorLineComment Comment
hi def link zorTodo Todo

let b:current_syntax = 'zor'

let &cpo = s:cpo_save
unlet s:cpo_save

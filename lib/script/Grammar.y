/* The grammar of the script language. For now it declares the token kinds
   that the scanner hands over and accepts any sequence of them but OTHER; the
   statements and their actions follow. */

%require "3.8"
%expect 0
%define api.pure full
%define api.value.type {zor::ScriptText}
%define api.token.prefix {TOK_}

%code requires {
#include "script/ScriptText.h"
}

%code {
#include "script/ParserHooks.h"
}

%token RESULTFILE "resultfile" DELETEFILE "deletefile" EXTERN "extern" VERIFY "verify:"
%token DOT "." LBRACE "{" RBRACE "}" LPAREN "(" RPAREN ")" LIST "[]"
%token ASSIGN "=" EQ "==" NE "!=" GT ">" LT "<" GE ">=" LE "<="
%token STRING INTEGER FLOAT IDENT
%token OTHER

%%

script
    : %empty
    | script token
    ;

token
    : "resultfile" | "deletefile" | "extern" | "verify:"
    | "." | "{" | "}" | "(" | ")" | "[]"
    | "=" | "==" | "!=" | ">" | "<" | ">=" | "<="
    | STRING | INTEGER | FLOAT | IDENT
    ;

%%

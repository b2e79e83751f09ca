/* The grammar of the script language. Every action is one call into the
   routines named for what they do (Statements, RecordBodies, Names, FileNames,
   Entries, Lists), whose header comments quote the rule each one serves.

   When an action runs matters: the parser reduces without reading a token
   wherever one reduction is all it can do, so the start-up runs before the
   first token, a record body opens right after its "{" and a record ends right
   after its "}", before the next token is scanned. Sequences of statements,
   entries and items are left-recursive, so their length costs no stack. */

%require "3.8"
%expect 0
%define api.pure full
%define api.value.type {zor::ScriptText}
%define api.token.prefix {TOK_}

%code requires {
#include "script/ScriptText.h"
}

%code {
#include "script/Entries.h"
#include "script/FileNames.h"
#include "script/Lists.h"
#include "script/Names.h"
#include "script/ParserHooks.h"
#include "script/RecordBodies.h"
#include "script/Statements.h"

using namespace zor;
}

%token RESULTFILE "resultfile" DELETEFILE "deletefile" EXTERN "extern" VERIFY "verify:"
%token DOT "." LBRACE "{" RBRACE "}" LPAREN "(" RPAREN ")" LIST "[]"
%token ASSIGN "=" EQ "==" NE "!=" GT ">" LT "<" GE ">=" LE "<="
%token STRING INTEGER FLOAT IDENT
%token OTHER

%%

/* ---- Statements ---- */

script
    : start_script statements
    ;

start_script
    : %empty                            { startScript(); }
    ;

statements
    : %empty
    | statements statement
    ;

statement
    : "resultfile" file_name            { setOutputFile($2); }
    | "deletefile" file_name            { deleteNamedFile($2); }
    | "extern" path                     { beginExternRecord($2); }
      record_body                       { endExternRecord(); }
    |                                   { takeRecordPosition(); }
      path                              { beginTestRecord($2); }
      record_body                       { ACT(endTestRecord()); }
    |                                   { beginGlobalRecord(); }
      globals_body                      { ACT(endGlobalRecord()); }
    ;

/* ---- Names ---- */

path
    : IDENT                             { completePath(); }
    | IDENT "." path                    { ACT(joinPath($$, $1, $3)); }
    ;

/* ---- File names ---- */

file_name
    : STRING
    | "(" file_parts ")"                { takeFileParts($$, $2); }
    ;

file_parts
    : STRING
    | file_parts STRING                 { ACT(appendStringPart($$, $2)); }
    | "(" path ")"                      { ACT(variablePart($$, $2)); }
    | file_parts "(" path ")"           { ACT(appendVariablePart($$, $3)); }
    ;

/* ---- Record bodies ---- */

record_body
    : "{"                               { openTestBody(); }
      input_section verify_section      { closeTestBody(); }
      "}"
    ;

input_section
    : %empty
    |                                   { targetInputStore(); }
      entries
    ;

verify_section
    : %empty
    | "verify:"
    | "verify:"                         { beginVerifyEntries(); }
      entries                           { endVerifyEntries(); }
    ;

globals_body
    : "{"                               { openGlobalBody(); }
      globals_section                   { closeGlobalBody(); }
      "}"
    ;

globals_section
    : %empty
    |                                   { targetGlobalVariables(); }
      entries
    ;

/* ---- Entries ---- */

entries
    : entry
    | entries entry
    ;

entry
    : path                              { nameNestedRecord($1); }
      nested_body                       { endNestedRecord(); }
    | path "[]"                         { nameList($1); }
      list_body
    | compare_target INTEGER            { ACT(storeInteger($1, $2)); }
    | compare_target FLOAT              { ACT(storeFloat($1, $2)); }
    | compare_target file_name          { storeText($1, $2); }
    | compare_target "(" path           { ACT(storeVariable($1, $3)); }
      ")"
    ;

compare_target
    : path "="                          { ACT(plainTarget($$, $1)); }
    | path "=="                         { ACT(operatorTarget($$, $1, "==")); }
    | path ">"                          { ACT(operatorTarget($$, $1, "> ")); }
    | path "<"                          { ACT(operatorTarget($$, $1, "< ")); }
    | path "!="                         { ACT(operatorTarget($$, $1, "!=")); }
    | path ">="                         { ACT(operatorTarget($$, $1, ">=")); }
    | path "<="                         { ACT(operatorTarget($$, $1, "<=")); }
    ;

nested_body
    : "{" "}"
    | "{"                               { ACT(openNestedRecord()); }
      entries                           { closeNestedRecord(); }
      "}"
    ;

/* ---- Lists ---- */

list_body
    : "{" "}"
    | "{"                               { ACT(openList()); }
      items                             { closeList(); }
      "}"
    ;

items
    : item
    | items item
    ;

item
    : INTEGER                           { ACT(storeIntegerItem($1)); }
    | "{" INTEGER "}"                   { ACT(storeIntegerItem($2)); }
    | FLOAT                             { ACT(storeFloatItem($1)); }
    | "{" FLOAT "}"                     { ACT(storeFloatItem($2)); }
    | file_name                         { storeTextItem($1); }
    | "{" file_name "}"                 { storeTextItem($2); }
    | "(" path                          { ACT(storeVariableItem($2)); }
      ")"
    |                                   { ACT(openRecordItem()); }
      entry                             { storeRecordItem(); }
    | "{"                               { ACT(openRecordItem()); }
      entries                           { storeRecordItem(); }
      "}"
    | "{"                               { storeEmptyRecordItem(); }
      "}"
    ;

%%

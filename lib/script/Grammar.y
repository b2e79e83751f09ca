/* The grammar of the script language. Every action is one call into the
   routines named for what they do (Statements, RecordBodies, Names, FileNames,
   Entries, Lists). The actions are numbered A1 to A44 in the order they stand
   here; the routines' headers use the same numbers.

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
    : %empty                            { startScript(); }                  /* A1 */
    ;

statements
    : %empty
    | statements statement
    ;

statement
    : "resultfile" file_name            { setOutputFile($2); }              /* A2 */
    | "deletefile" file_name            { deleteNamedFile($2); }            /* A3 */
    | "extern" path                     { beginExternRecord($2); }          /* A4 */
      record_body                       { endExternRecord(); }              /* A5 */
    |                                   { takeRecordPosition(); }           /* A6 */
      path                              { beginTestRecord($2); }            /* A7 */
      record_body                       { ACT(endTestRecord()); }           /* A8 */
    |                                   { beginGlobalRecord(); }            /* A9 */
      globals_body                      { ACT(endGlobalRecord()); }         /* A10 */
    ;

/* ---- Names ---- */

path
    : IDENT                             { completePath(); }                 /* A11 */
    | IDENT "." path                    { ACT(joinPath($$, $1, $3)); }      /* A12 */
    ;

/* ---- File names ---- */

file_name
    : STRING
    | "(" file_parts ")"                { takeFileParts($$, $2); }          /* A13 */
    ;

file_parts
    : STRING
    | file_parts STRING                 { ACT(appendStringPart($$, $2)); }  /* A14 */
    | "(" path ")"                      { ACT(variablePart($$, $2)); }      /* A15 */
    | file_parts "(" path ")"           { ACT(appendVariablePart($$, $3)); } /* A16 */
    ;

/* ---- Record bodies ---- */

record_body
    : "{"                               { openTestBody(); }                 /* A17 */
      input_section verify_section      { closeTestBody(); }                /* A18 */
      "}"
    ;

input_section
    : %empty
    |                                   { targetInputStore(); }             /* A19 */
      entries
    ;

verify_section
    : %empty
    | "verify:"
    | "verify:"                         { beginVerifyEntries(); }           /* A20 */
      entries                           { endVerifyEntries(); }             /* A21 */
    ;

globals_body
    : "{"                               { openGlobalBody(); }               /* A22 */
      globals_section                   { closeGlobalBody(); }              /* A23 */
      "}"
    ;

globals_section
    : %empty
    |                                   { targetGlobalVariables(); }        /* A24 */
      entries
    ;

/* ---- Entries ---- */

entries
    : entry
    | entries entry
    ;

entry
    : path                              { nameNestedRecord($1); }           /* A25 */
      nested_body                       { endNestedRecord(); }              /* A26 */
    | path "[]"                         { nameList($1); }                   /* A27 */
      list_body
    | compare_target INTEGER            { ACT(storeInteger($1, $2)); }      /* A28 */
    | compare_target FLOAT              { ACT(storeFloat($1, $2)); }        /* A29 */
    | compare_target file_name          { storeText($1, $2); }              /* A30 */
    | compare_target "(" path           { ACT(storeVariable($1, $3)); }     /* A31 */
      ")"
    ;

compare_target
    : path "="                          { ACT(plainTarget($$, $1)); }       /* A32 */
    | path "=="                         { ACT(operatorTarget($$, $1, "==")); } /* A33 */
    | path ">"                          { ACT(operatorTarget($$, $1, "> ")); }
    | path "<"                          { ACT(operatorTarget($$, $1, "< ")); }
    | path "!="                         { ACT(operatorTarget($$, $1, "!=")); }
    | path ">="                         { ACT(operatorTarget($$, $1, ">=")); }
    | path "<="                         { ACT(operatorTarget($$, $1, "<=")); }
    ;

nested_body
    : "{" "}"
    | "{"                               { ACT(openNestedRecord()); }        /* A34 */
      entries                           { closeNestedRecord(); }            /* A35 */
      "}"
    ;

/* ---- Lists ---- */

list_body
    : "{" "}"
    | "{"                               { ACT(openList()); }                /* A36 */
      items                             { closeList(); }                    /* A37 */
      "}"
    ;

items
    : item
    | items item
    ;

item
    : INTEGER                           { ACT(storeIntegerItem($1)); }      /* A38 */
    | "{" INTEGER "}"                   { ACT(storeIntegerItem($2)); }
    | FLOAT                             { ACT(storeFloatItem($1)); }        /* A39 */
    | "{" FLOAT "}"                     { ACT(storeFloatItem($2)); }
    | file_name                         { storeTextItem($1); }              /* A40 */
    | "{" file_name "}"                 { storeTextItem($2); }
    | "(" path                          { ACT(storeVariableItem($2)); }     /* A41 */
      ")"
    |                                   { ACT(openRecordItem()); }          /* A42 */
      entry                             { storeRecordItem(); }              /* A43 */
    | "{"                               { ACT(openRecordItem()); }          /* A42 */
      entries                           { storeRecordItem(); }              /* A43 */
      "}"
    | "{"                               { storeEmptyRecordItem(); }         /* A44 */
      "}"
    ;

%%

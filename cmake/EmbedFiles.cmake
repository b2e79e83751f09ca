# cmake -DOUTPUT=file.cpp -DNAMESPACE=ns -DFILES="name=path;..." -P EmbedFiles.cmake
# Writes a source file in which each function name() returns the bytes of its
# file as a std::string_view. Bytes go in as numbers, so no text in the files
# can end a literal early.
set(code "// Generated from the files named below; edit those.\n#include <string_view>\n\nnamespace ${NAMESPACE} {\n")
foreach(entry IN LISTS FILES)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 path)
    file(READ "${path}" bytes HEX)
    string(LENGTH "${bytes}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
    string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
    get_filename_component(shown "${path}" NAME)
    string(APPEND code "\n// ${shown}\nstatic const char ${name}Bytes[] = {\n${bytes}0x00};\n"
        "std::string_view ${name}() { return {${name}Bytes, ${size}}; }\n")
endforeach()
string(APPEND code "\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUTPUT}.new" "${code}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")

# Installs the build into a scratch prefix, then uses it as a user elsewhere
# would, with a clean environment (no LD_LIBRARY_PATH): the installed ZorRun
# and ZorServer start, a host program and the example module build against the
# package with find_package(ZorLib), and the installed ZorRun runs the example.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(clean_env env -i PATH=/usr/bin:/bin)

# run(COMMAND...) in WORK_DIR, or in the folder given after DIR; the output
# lands in `out`.
function(run)
    cmake_parse_arguments(PARSE_ARGV 0 arg "" "DIR" "")
    if(NOT arg_DIR)
        set(arg_DIR ${WORK_DIR})
    endif()
    execute_process(COMMAND ${arg_UNPARSED_ARGUMENTS} WORKING_DIRECTORY ${arg_DIR}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "failed (${result}): ${arg_UNPARSED_ARGUMENTS}\n${output}")
    endif()
    set(out "${output}" PARENT_SCOPE)
endfunction()

function(expect text what)
    string(FIND "${out}" "${text}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${what}: '${text}' not in '${out}'")
    endif()
endfunction()

file(MAKE_DIRECTORY ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(program ZorRun ZorServer)
    run(${clean_env} ${prefix}/bin/${program} --version)
    expect("${VERSION}" "${program} --version")
    run(${clean_env} ${prefix}/bin/${program} --help)
endforeach()

run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)
run(${clean_env} ${WORK_DIR}/consumer/consumer ${WORK_DIR}/script.txt ${WORK_DIR}/report.txt)
file(READ ${WORK_DIR}/report.txt out)
expect("sum == 5" "the consumer's report")

run(${CMAKE_COMMAND} -S ${EXAMPLE_DIR} -B ${WORK_DIR}/example -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/example)
run(${clean_env} ${prefix}/bin/ZorRun --load ./libZorExample.so example.zor.txt
    DIR ${WORK_DIR}/example)
expect("tests: 4, passed: 4, failed: 0" "the example run")

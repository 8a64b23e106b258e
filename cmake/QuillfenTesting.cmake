# quillfen_add_test(NAME SOURCES file... LIBS lib... [WIDGETS])
# One QtTest executable per test, registered with CTest. Every test gets its
# own settings folder so that nothing touches the user's configuration;
# widget tests run on the offscreen platform.
function(quillfen_add_test name)
    cmake_parse_arguments(ARG "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE quillfen_options Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    add_test(NAME ${name} COMMAND ${name})
    set(env "XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/${name}-config"
            "QUILLFEN_TEST_BINARY_DIR=${PROJECT_BINARY_DIR}"
            "QUILLFEN_PDF_MODULE=$<TARGET_FILE:quillfen_pdf>"
            "QUILLFEN_OCR_MODULE=$<TARGET_FILE:quillfen_ocr>")
    if(ARG_WIDGETS)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
endfunction()

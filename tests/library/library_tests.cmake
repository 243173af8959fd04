# Wiring of the engine library's test program. The tests reach the library as its hosts do:
# they load the built libquilcore.so with dlopen, run quilrun and the C host example, and
# register the bundled example's data source in the ODBC sandbox of tests/odbc. quilrun's
# usage text is compiled in, to compare with what the program prints.
target_sources(library_tests PRIVATE ${PROJECT_SOURCE_DIR}/tools/quilrun/QuilRunOptions.cpp)
target_link_libraries(library_tests PRIVATE odbc_test_support http_test_support)
add_dependencies(library_tests quilcore quilrun quilcore_host dblib httplib maillib velder)
target_compile_definitions(library_tests PRIVATE QUILLON_BIN_DIR="${PROJECT_BINARY_DIR}/bin"
                           QUILLON_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")

# The public header compiles on its own, strictly, as C and as C++.
set(quilcore_header ${PROJECT_SOURCE_DIR}/include/quilcore.h)
add_test(NAME library.PublicHeader.C
         COMMAND ${CMAKE_C_COMPILER} -std=c99 -Wall -Wextra -pedantic -Werror -fsyntax-only -x c ${quilcore_header})
add_test(NAME library.PublicHeader.CXX
         COMMAND ${CMAKE_CXX_COMPILER} -std=c++11 -Wall -Wextra -pedantic -Werror -fsyntax-only -x c++
                 ${quilcore_header})

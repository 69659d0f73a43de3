cmake_minimum_required(VERSION 3.25)
# Fails when a file under ROOT includes a header that is neither one of the
# project's own ("...") nor a header of the C++ standard library.
set(ZV_STD_HEADERS
    algorithm any array atomic barrier bit bitset cassert cctype cerrno cfloat charconv chrono cinttypes
    climits clocale cmath codecvt compare complex concepts condition_variable coroutine csetjmp csignal
    cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque exception execution
    expected filesystem format forward_list fstream functional future initializer_list iomanip ios iosfwd
    iostream istream iterator latch limits list locale map memory memory_resource mutex new numbers numeric
    optional ostream queue random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location
    span sstream stack stdexcept stop_token streambuf string string_view syncstream system_error thread
    tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector version)
file(GLOB_RECURSE files "${ROOT}/*.h" "${ROOT}/*.cpp")
set(bad "")
foreach(f IN LISTS files)
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*<")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*<([^>]*)>.*" "\\1" hdr "${line}")
        if(NOT hdr IN_LIST ZV_STD_HEADERS)
            list(APPEND bad "${f}: <${hdr}>")
        endif()
    endforeach()
endforeach()
if(bad)
    list(JOIN bad "\n  " msg)
    message(FATAL_ERROR "The model may include only standard C++ headers:\n  ${msg}")
endif()
file(TOUCH "${STAMP}")

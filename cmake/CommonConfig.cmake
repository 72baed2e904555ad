# Flags every target of the project builds with.
add_library(quillon_flags INTERFACE)
target_compile_features(quillon_flags INTERFACE cxx_std_20)
target_compile_definitions(quillon_flags INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING
    QT_USE_QSTRINGBUILDER)
if(MSVC)
    # Chinese literals must survive a build on a machine whose code page is GBK.
    target_compile_options(quillon_flags INTERFACE /utf-8 /W4)
else()
    target_compile_options(quillon_flags INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
endif()

# scripts/test --sanitize: every target with AddressSanitizer and UndefinedBehaviorSanitizer (clang).
option(QUILLON_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# The fuzz targets of tests/fuzz (libFuzzer, clang); the libraries get the fuzzer's coverage.
option(QUILLON_FUZZ "Build the fuzz targets" OFF)
if(QUILLON_SANITIZE OR QUILLON_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "QUILLON_SANITIZE and QUILLON_FUZZ need clang (CXX=clang++)")
    endif()
    # float-cast-overflow is not part of -fsanitize=undefined everywhere; name it.
    set(sanitizers address,undefined,float-cast-overflow)
    add_compile_options(-fsanitize=${sanitizers} -fno-sanitize-recover=undefined,float-cast-overflow
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=${sanitizers})
    if(QUILLON_FUZZ)
        add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
endif()

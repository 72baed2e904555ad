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

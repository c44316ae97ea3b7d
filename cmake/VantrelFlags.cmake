# The house flags every target links: language level, warnings, Qt's safety
# defines and the optional sanitizers.
add_library(vantrel_flags INTERFACE)
target_compile_features(vantrel_flags INTERFACE cxx_std_20)
target_compile_options(vantrel_flags INTERFACE -Wall -Wextra -Wpedantic)
if(VANTREL_WERROR)
    target_compile_options(vantrel_flags INTERFACE -Werror)
endif()
target_compile_definitions(vantrel_flags INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS)

# The hardening Debian builds its packages with: fortified libc calls (they
# need the optimiser), a guarded stack, and a global offset table made
# read-only before the program starts. Sanitizer and fuzzing builds are never
# shipped and bring their own checks.
if(NOT VANTREL_SANITIZE AND NOT VANTREL_FUZZ)
    target_compile_definitions(vantrel_flags INTERFACE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
    target_compile_options(vantrel_flags INTERFACE -fstack-protector-strong)
    target_link_options(vantrel_flags INTERFACE LINKER:-z,relro,-z,now)
endif()

if(VANTREL_SANITIZE)
    if(NOT VANTREL_SANITIZE MATCHES "^(address|undefined|address,undefined|undefined,address|thread)$")
        message(FATAL_ERROR "VANTREL_SANITIZE must be address, undefined, address,undefined or thread")
    endif()
    set(_vantrel_san -fsanitize=${VANTREL_SANITIZE} -fno-omit-frame-pointer)
    if(VANTREL_SANITIZE MATCHES "undefined")
        list(APPEND _vantrel_san -fno-sanitize-recover=undefined)
    endif()
    target_compile_options(vantrel_flags INTERFACE ${_vantrel_san})
    target_link_options(vantrel_flags INTERFACE ${_vantrel_san})
endif()

# Fuzzing: every library carries libFuzzer's coverage hooks and runs under
# AddressSanitizer and UBSan; only the fuzz targets link libFuzzer's main.
if(VANTREL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "VANTREL_FUZZ needs clang: configure with CXX=clang++")
    endif()
    if(VANTREL_SANITIZE)
        message(FATAL_ERROR "VANTREL_FUZZ brings its own sanitizers; leave VANTREL_SANITIZE empty")
    endif()
    set(_vantrel_fuzz_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_compile_options(vantrel_flags INTERFACE ${_vantrel_fuzz_san} -fsanitize=fuzzer-no-link)
    target_link_options(vantrel_flags INTERFACE ${_vantrel_fuzz_san})
endif()

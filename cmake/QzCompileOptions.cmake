# Warnings, floating-point rules, visibility and sanitizers shared by all targets.

set(QZ_SANITIZE_FLAGS "")
if(QZ_SANITIZE STREQUAL "address,undefined")
  set(QZ_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined
      -fno-omit-frame-pointer)
elseif(QZ_SANITIZE STREQUAL "thread")
  set(QZ_SANITIZE_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT QZ_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QZ_SANITIZE must be empty, address,undefined or thread")
endif()
if(QZ_SANITIZE_FLAGS)
  add_compile_options(${QZ_SANITIZE_FLAGS})
  add_link_options(${QZ_SANITIZE_FLAGS})
  # The modes' reads through the kit's views are checked against what they fetched.
  add_compile_definitions(QZ_DEBUG_READS=1)
endif()

add_compile_options(-ffp-contract=off)

function(qz_warning_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

function(qz_library_options target)
  qz_warning_options(${target})
  set_target_properties(${target} PROPERTIES
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    BUILD_RPATH "$ORIGIN")
endfunction()

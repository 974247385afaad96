# Applies CORVANE_SANITIZE to everything built below; a sanitizer report
# aborts the process, so a test with a report fails.
if(CORVANE_SANITIZE)
  set(flags -fsanitize=${CORVANE_SANITIZE} -fno-omit-frame-pointer)
  if(CORVANE_SANITIZE MATCHES "undefined")
    list(APPEND flags -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${flags})
  add_link_options(-fsanitize=${CORVANE_SANITIZE})
endif()

# Copies the source tree's Data/ beside the program (run with cmake -P).
# Data/ may not exist yet in an early tree; the folder is made regardless.
file(MAKE_DIRECTORY ${DST})
if(IS_DIRECTORY ${SRC})
  file(COPY ${SRC}/ DESTINATION ${DST})
endif()

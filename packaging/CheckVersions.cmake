# Test: the software centre's newest release and the Debian package's upstream
# version are the project version, so that a version bump misses neither.
#   cmake -DVERSION=... -DSOURCE_DIR=... -DAPP_ID=... -P CheckVersions.cmake
set(failures "")

file(READ ${SOURCE_DIR}/packaging/${APP_ID}.metainfo.xml metainfo)
if(NOT metainfo MATCHES "<release version=\"([^\"]*)\"")
  string(APPEND failures "\n  the metainfo names no release")
elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  string(APPEND failures "\n  the metainfo's newest release is ${CMAKE_MATCH_1}, the project is ${VERSION}")
endif()

file(STRINGS ${SOURCE_DIR}/debian/changelog top LIMIT_COUNT 1)
if(NOT top MATCHES "^trelvane \\(([^)-]*)-[^)]*\\) ")
  string(APPEND failures "\n  debian/changelog does not start with 'trelvane (VERSION-REVISION)': ${top}")
elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
  string(APPEND failures "\n  debian/changelog is at ${CMAKE_MATCH_1}, the project is ${VERSION}")
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()

# The maker's hosts are fixed values of the build, never read at run time. A value may carry ":port".
# The defaults are placeholders; the test and demo scripts point every host at the local portal.
set(ZARN_PORTAL_HOST "portal.example.invalid" CACHE STRING "The portal's web site (login page, game pages, home page)")
set(ZARN_STATS_HOST "stats.example.invalid" CACHE STRING "Statistics and configuration host (reports, update configuration, game hall)")
set(ZARN_SIGNIN_HOST "signin.example.invalid" CACHE STRING "Sign-in host for QQ and Weibo accounts")
set(ZARN_QQ_OPEN_HOST "qqopen.example.invalid" CACHE STRING "QQ's open-platform host")
set(ZARN_PROBE_HOST "probe.example.invalid" CACHE STRING "Public site whose root answers the connectivity probe")
set(ZARN_FLASH_HOST "flash.example.invalid" CACHE STRING "Host of the Flash Player download page")
set(ZARN_ALLOWED_DOMAINS "example.invalid;download.example.invalid;cdn.example.invalid"
    CACHE STRING "The three domains program downloads may come from, separated by ';'")

list(LENGTH ZARN_ALLOWED_DOMAINS _zarn_domain_count)
if(NOT _zarn_domain_count EQUAL 3)
  message(FATAL_ERROR "ZARN_ALLOWED_DOMAINS must name exactly three domains separated by ';'")
endif()
list(GET ZARN_ALLOWED_DOMAINS 0 ZARN_ALLOWED_DOMAIN_1)
list(GET ZARN_ALLOWED_DOMAINS 1 ZARN_ALLOWED_DOMAIN_2)
list(GET ZARN_ALLOWED_DOMAINS 2 ZARN_ALLOWED_DOMAIN_3)

set(ZARN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildHosts.h.in ${ZARN_GENERATED_DIR}/BuildHosts.h @ONLY)

# Runs the skin generator when FORCE is set, when the skins or the stamp of
# the last run are missing, or when cfg.ini changed since.
#   cmake -DGENERATOR=... -DSKINS_DIR=... -DCFG=... -DBROKEN_DIR=... -DSTAMP=... [-DFORCE=ON] -P EnsureSkins.cmake
set(need_run FALSE)
if(FORCE OR NOT EXISTS "${STAMP}" OR NOT EXISTS "${SKINS_DIR}/dark" OR NOT EXISTS "${SKINS_DIR}/light"
   OR NOT EXISTS "${BROKEN_DIR}/skins" OR "${CFG}" IS_NEWER_THAN "${STAMP}")
    set(need_run TRUE)
endif()
if(NOT need_run)
    return()
endif()
# The generator is built with the sanitizers of the build; Qt's font
# caches live until exit, which is not a leak worth failing the build for.
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            "${GENERATOR}" --out "${SKINS_DIR}" --cfg "${CFG}" --broken "${BROKEN_DIR}"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE "${STAMP}")
    message(FATAL_ERROR "skingen failed (${result})")
endif()
file(TOUCH "${STAMP}")

# Installs into a scratch prefix and checks that every file landed.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(f bin/pontiva
          share/applications/${APP_ID}.desktop
          share/metainfo/${APP_ID}.metainfo.xml
          share/icons/hicolor/64x64/apps/${APP_ID}.png
          share/icons/hicolor/48x48/apps/${APP_ID}.png
          share/icons/hicolor/scalable/apps/${APP_ID}.svg)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

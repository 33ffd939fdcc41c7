# Installs into a scratch prefix and checks that every file landed. The
# build folder's install_manifest.txt lists a real installation for its
# uninstall; it is put back as it was.
file(REMOVE_RECURSE ${PREFIX})
set(manifest ${BUILD_DIR}/install_manifest.txt)
if(EXISTS ${manifest})
    file(READ ${manifest} saved)
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(DEFINED saved)
    file(WRITE ${manifest} "${saved}")
else()
    file(REMOVE ${manifest})
endif()
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(f bin/pontiva
          share/applications/${APP_ID}.desktop
          share/metainfo/${APP_ID}.metainfo.xml
          share/icons/hicolor/64x64/apps/${APP_ID}.png
          share/icons/hicolor/48x48/apps/${APP_ID}.png
          share/icons/hicolor/scalable/apps/${APP_ID}.svg
          share/man/man1/pontiva.1.gz
          share/doc/pontiva/copyright
          share/doc/pontiva/changelog.gz)
    if(NOT EXISTS ${PREFIX}/${f})
        message(FATAL_ERROR "not installed: ${f}")
    endif()
endforeach()

# The GIMP 2.10 plug-in: the host side (entry, registration, run dispatcher)
# and the frame over the renderer core, with its tests in the real GIMP.
# ORMOLO_PLUGIN (see the top-level CMakeLists.txt) decides whether it is built.

string(TOUPPER "${ORMOLO_PLUGIN}" plugin_mode)
if(NOT plugin_mode MATCHES "^(AUTO|ON|OFF)$")
  message(FATAL_ERROR "ORMOLO_PLUGIN is '${ORMOLO_PLUGIN}'; use AUTO, ON or OFF")
endif()
if(plugin_mode STREQUAL "OFF")
  message(STATUS "GIMP plug-in: off (ORMOLO_PLUGIN=OFF)")
  return()
endif()

find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(GIMP QUIET IMPORTED_TARGET gimp-2.0 gimpui-2.0)
endif()
if(NOT GIMP_FOUND)
  if(plugin_mode STREQUAL "ON")
    message(FATAL_ERROR "ORMOLO_PLUGIN=ON, but pkg-config finds no gimp-2.0 and gimpui-2.0: "
                        "install libgimp2.0-dev (and pkg-config), or configure with -DORMOLO_PLUGIN=OFF")
  endif()
  message(WARNING "libgimp 2.0 not found (pkg-config gimp-2.0 gimpui-2.0): building the renderer, "
                  "the command-line tool, the benchmark and the unit tests without the GIMP plug-in "
                  "and its tests. Install libgimp2.0-dev and pkg-config to build the plug-in.")
  return()
endif()
message(STATUS "GIMP plug-in: on (libgimp ${GIMP_gimp-2.0_VERSION})")

# The dialog asks the X display whether it opens before GTK would end the
# process over it; libX11 comes with GTK 2 and its development files.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)

add_library(ormolo_host STATIC
  src/host/bvals.cpp
  src/host/drawable_checks.cpp
  src/host/registration.cpp
  src/host/run.cpp
  src/dialog/callbacks.cpp
  src/dialog/dialog.cpp
  src/dialog/display.cpp
  src/dialog/preview_evidence.cpp
  src/dialog/preview_render.cpp
  src/render/gimp/frame.cpp
  src/render/gimp/probe_drawable.cpp
  src/render/gimp/selection_bounds.cpp)
target_include_directories(ormolo_host PUBLIC src)
target_link_libraries(ormolo_host PUBLIC ormolo_record PkgConfig::GIMP PkgConfig::X11)
# The plug-in works through GIMP 2's tile API (pixel regions, shadow tiles),
# which libgimp 2.10 marks deprecated in favour of GEGL buffers.
target_compile_options(ormolo_host PUBLIC -Wno-deprecated-declarations)

# GIMP wants each plug-in in a folder of its own name: plug-in/ormolo2/ormolo2.
set(ORMOLO_PLUGIN_DIR ${CMAKE_BINARY_DIR}/plug-in/ormolo2)
add_executable(ormolo2-plugin src/host/plugin_main.cpp)
target_link_libraries(ormolo2-plugin PRIVATE ormolo_host)
set_target_properties(ormolo2-plugin PROPERTIES
  OUTPUT_NAME ormolo2
  RUNTIME_OUTPUT_DIRECTORY ${ORMOLO_PLUGIN_DIR})

set(ORMOLO_GIMP_PLUGIN_DIR "$ENV{HOME}/.config/GIMP/2.10/plug-ins/ormolo2"
    CACHE PATH "Folder of the plug-in in the user's GIMP 2.10 profile")
add_custom_target(install-plugin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ORMOLO_GIMP_PLUGIN_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:ormolo2-plugin> ${ORMOLO_GIMP_PLUGIN_DIR}/ormolo2
  DEPENDS ormolo2-plugin
  COMMENT "Installing the plug-in into ${ORMOLO_GIMP_PLUGIN_DIR}")

add_subdirectory(tests/gimp ${CMAKE_BINARY_DIR}/tests-gimp)
add_subdirectory(tests/gimp-dialog ${CMAKE_BINARY_DIR}/tests-gimp-dialog)

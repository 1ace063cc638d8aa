# Precompiled headers. Most of the compile time of a translation unit goes into the Qt and
# test-framework headers, so each kind of target shares one precompiled set (REUSE_FROM).
# Kinds keep the layers apart:
# headless targets never see a widget header, only test targets see gtest. A small object
# library per kind (corvane_pch_headless...) compiles the set; every target reuses it.
#
# Applied from the top-level CMakeLists after every folder was added, so folders add targets
# without knowing about it. A target takes part when it links a Corvane library, a Qt module or
# gtest directly; others (faxline, plain C++ over spandsp) are left alone.
# -DCORVANE_PCH=OFF builds without them (to check that every file includes what it uses).

set(corvane_pch_headless
  <algorithm> <array> <cstdint> <cstring> <functional> <memory> <optional> <string> <vector>
  <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QImage> <QList>
  <QObject> <QSaveFile> <QString> <QStringList>)
set(corvane_pch_widgets ${corvane_pch_headless}
  <QApplication> <QDialog> <QHBoxLayout> <QLabel> <QPainter> <QPushButton> <QVBoxLayout>
  <QWidget>)
set(corvane_pch_tests ${corvane_pch_headless} <gtest/gtest.h> <QProcess> <QTemporaryDir>)
set(corvane_pch_widget_tests ${corvane_pch_widgets} <gtest/gtest.h> <QProcess> <QTemporaryDir>)

function(corvane_pch_kind target out)
  set(kind "")
  get_target_property(links ${target} LINK_LIBRARIES)
  if(links)
    set(widgets "Qt6::Widgets|corvane_uicommon|corvane_logwindow|corvane_viewing|corvane_app")
    set(widgets "${widgets}|corvane_test_support_widgets")
    set(tests "corvane_test_support|corvane_test_support_widgets|GTest::[a-z_]+")
    set(uses_widgets OFF)
    if(links MATCHES "(^|;)(${widgets})(;|$)")
      set(uses_widgets ON)
    endif()
    if(links MATCHES "(^|;)(${tests})(;|$)")
      set(kind tests)
    elseif(links MATCHES "(^|;)(corvane_[a-z_]+|Qt6::[A-Za-z]+)(;|$)")
      set(kind headless)
    endif()
    if(kind AND uses_widgets)
      string(REPLACE headless widgets kind ${kind})
      string(REPLACE tests widget_tests kind ${kind})
    endif()
  endif()
  set(${out} ${kind} PARENT_SCOPE)
endfunction()

# The host of a kind compiles only the precompiled header, with no definitions of its own:
# GCC uses a precompiled header only where every macro defined when it was made is defined
# alike, so the host carries just what every target of the kind has (QT_CORE_LIB...).
function(corvane_pch_host kind out)
  set(host corvane_pch_${kind})
  if(NOT TARGET ${host})
    set(source ${CMAKE_BINARY_DIR}/corvane_pch/${kind}.cpp)
    file(WRITE ${source} "// Compiles the precompiled header of the ${kind} targets.\n")
    add_library(${host} OBJECT ${source})
    target_link_libraries(${host} PRIVATE Qt6::Core Qt6::Gui)
    if(kind MATCHES "widget")
      target_link_libraries(${host} PRIVATE Qt6::Widgets)
    endif()
    if(kind MATCHES "tests")
      find_package(GTest REQUIRED)
      target_link_libraries(${host} PRIVATE GTest::gtest)
    endif()
    target_precompile_headers(${host} PRIVATE ${corvane_pch_${kind}})
  endif()
  set(${out} ${host} PARENT_SCOPE)
endfunction()

function(corvane_pch_directory dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$"
       OR target MATCHES "^corvane_pch_")
      continue()
    endif()
    corvane_pch_kind(${target} kind)
    if(kind)
      corvane_pch_host(${kind} host)
      target_precompile_headers(${target} REUSE_FROM ${host})
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    corvane_pch_directory(${sub})
  endforeach()
endfunction()

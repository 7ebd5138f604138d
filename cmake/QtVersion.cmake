# SPDX-License-Identifier: GPL-3.0-or-later
# The one place that chooses the Qt major version. Everything else links the
# versionless Qt:: targets and QCustomPlot::QCustomPlot, and finds further Qt
# components with Qt${QT_VERSION_MAJOR}.
option(QUARNEL_QT6 "Build against Qt 6 and QCustomPlot's Qt 6 build instead of Qt 5" OFF)

if(QUARNEL_QT6)
    set(QT_VERSION_MAJOR 6)
    find_package(Qt6 6.2 REQUIRED COMPONENTS Widgets PrintSupport Test)
    # Debian ships QCustomPlot's Qt 6 build under its own package and target
    # name; an alias lets the rest of the build use one name for both.
    find_package(QCustomPlotQt6 REQUIRED)
    if(NOT TARGET QCustomPlot::QCustomPlot)
        set_target_properties(QCustomPlotQt6::QCustomPlotQt6 PROPERTIES IMPORTED_GLOBAL TRUE)
        add_library(QCustomPlot::QCustomPlot ALIAS QCustomPlotQt6::QCustomPlotQt6)
    endif()
else()
    set(QT_VERSION_MAJOR 5)
    find_package(Qt5 5.15 REQUIRED COMPONENTS Widgets PrintSupport Test)
    find_package(QCustomPlot REQUIRED)
endif()
message(STATUS "Building against Qt ${Qt${QT_VERSION_MAJOR}_VERSION}")

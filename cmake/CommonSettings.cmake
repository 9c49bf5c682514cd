# Build settings shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(tw_settings INTERFACE)
target_compile_options(tw_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2
  -Wimplicit-fallthrough)
if(TW_WERROR)
  target_compile_options(tw_settings INTERFACE -Werror)
endif()
target_include_directories(tw_settings INTERFACE ${PROJECT_SOURCE_DIR}/src)

# The hardening Debian builds its own packages with: checked buffer calls,
# stack guards, and a read-only relocation table bound at start. Fortified
# calls need the optimiser, and the sanitizers do that checking themselves.
if(NOT CMAKE_BUILD_TYPE STREQUAL "Debug" AND NOT TW_FUZZ AND NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
  target_compile_options(tw_settings INTERFACE -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
endif()
target_compile_options(tw_settings INTERFACE -fstack-protector-strong)
target_link_options(tw_settings INTERFACE -Wl,-z,relro -Wl,-z,now)

# The version the programs print and the check's SARIF reports name, for
# the targets that link it.
add_library(tw_version INTERFACE)
target_compile_definitions(tw_version INTERFACE TW_VERSION="${PROJECT_VERSION}")

# Qt code spells out every conversion between bytes and text at the widget
# boundary, so a file name never passes through an implicit Latin-1 cast.
add_library(tw_qt_settings INTERFACE)
target_compile_definitions(tw_qt_settings INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH)

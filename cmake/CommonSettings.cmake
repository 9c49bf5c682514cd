# Build settings shared by every target of the project.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "Build type" FORCE)
endif()

add_library(tw_settings INTERFACE)
target_compile_options(tw_settings INTERFACE -Wall -Wextra)
if(TW_WERROR)
  target_compile_options(tw_settings INTERFACE -Werror)
endif()
target_include_directories(tw_settings INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Every external library the engine calls, gathered in one interface target.
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED COMPONENTS OpenGL GLX)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(JPEG REQUIRED)
find_package(FLTK REQUIRED NO_MODULE)
pkg_check_modules(VELMO_PKG REQUIRED IMPORTED_TARGET
  sdl2 glew glu freetype2 ftgl tinyxml libmpg123 vorbisfile fftw3f)

add_library(velmo_deps INTERFACE)
target_link_libraries(velmo_deps INTERFACE
  PkgConfig::VELMO_PKG OpenGL::GL OpenGL::GLX ZLIB::ZLIB JPEG::JPEG
  fltk Threads::Threads)
target_include_directories(velmo_deps INTERFACE ${FLTK_INCLUDE_DIRS})
target_compile_definitions(velmo_deps INTERFACE TIXML_USE_STL)

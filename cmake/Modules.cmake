# The core libraries: everything but the desktop windows builds and runs without Qt.

# Platform services every module may use: files, byte order, time,
# settings, and the user-facing and windowing calls that forward to the
# installed platform implementation (the headless one is part of it; the Qt
# one is below).
add_library(tavrilo_platform STATIC
  Common/CrossPlatform/Files.cpp
  Common/CrossPlatform/OutputClaim.cpp
  Common/CrossPlatform/Bytes.cpp
  Common/CrossPlatform/Clock.cpp
  Common/CrossPlatform/Companion.cpp
  Common/CrossPlatform/Settings.cpp
  Common/CrossPlatform/PlatformText.cpp
  Common/CrossPlatform/PlatformCalls.cpp
  Common/CrossPlatform/PlatformHelpers.cpp
  Common/CrossPlatform/EventQueue.cpp
  Common/CrossPlatform/ProgramFolders.cpp
  Common/CrossPlatform/Headless.cpp
  Common/CrossPlatform/HeadlessWindows.cpp
  Common/CrossPlatform/ResourceMasks.cpp
)
target_include_directories(tavrilo_platform PUBLIC Common/CrossPlatform)
target_link_libraries(tavrilo_platform PUBLIC ${CMAKE_DL_LIBS})

# What a headless program installs: the headless platform (HeadlessPlatform.h).
add_library(tavrilo_headless INTERFACE)
target_link_libraries(tavrilo_headless INTERFACE tavrilo_platform)

add_library(tavrilo_utilities STATIC
  Common/Utilities/Ease.cpp
  Common/Utilities/Text.cpp
  Common/Utilities/Timecode.cpp
  Common/Utilities/Windows1252.cpp
)
target_include_directories(tavrilo_utilities PUBLIC Common/Utilities)
target_link_libraries(tavrilo_utilities PUBLIC tavrilo_platform)

# The binding to the JPEG companion library (companions/PlinthJpeg).
add_library(tavrilo_jpegdll STATIC Common/JpegDll/JpegDll.cpp)
target_include_directories(tavrilo_jpegdll PUBLIC Common/JpegDll companions/PlinthJpeg)
target_link_libraries(tavrilo_jpegdll PUBLIC tavrilo_platform ${CMAKE_DL_LIBS})

# PNG pictures are read through libpng.
find_package(PNG REQUIRED)
add_library(tavrilo_cdib STATIC
  Common/CDib/CDib.cpp
  Common/CDib/PictureFiles.cpp
  Common/CDib/ReadBitmap.cpp
  Common/CDib/ReadPng.cpp
  Common/CDib/ReadTarga.cpp
  Common/CDib/ReadTiff.cpp
  Common/CDib/ReadPhotoshop.cpp
  Common/CDib/ReadJpeg.cpp
  Common/CDib/ResourcePictures.cpp
)
target_include_directories(tavrilo_cdib PUBLIC Common/CDib)
target_link_libraries(tavrilo_cdib PUBLIC tavrilo_platform tavrilo_utilities tavrilo_jpegdll ${CMAKE_DL_LIBS} PRIVATE PNG::PNG)
# JPEG pictures need the companion library beside the program.
add_dependencies(tavrilo_cdib PlinthJpeg)

add_library(tavrilo_doc STATIC
  show/Doc/Show.cpp
  show/Doc/Background.cpp
  show/Doc/Evaluate.cpp
  show/Doc/KeyEdit.cpp
  show/Doc/ShowFile.cpp
  show/Doc/DataImport.cpp
  show/Doc/DemoShow.cpp
)
target_include_directories(tavrilo_doc PUBLIC show/Doc)
target_link_libraries(tavrilo_doc PUBLIC tavrilo_cdib tavrilo_movieffmpeg tavrilo_utilities tavrilo_platform)

# Movies, in three libraries whose dependencies run one way:
# tavrilo_movie (MakeMovieAVI: the writer dispatch, the AVI, DPS and RTV
# writers) -> tavrilo_quicktime (MakeMovieQT: the QuickTime writer) ->
# tavrilo_movieffmpeg (MovieFfmpeg: the records, codec table, encoder they
# share, and the background movie reader the document uses, on FFmpeg).
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
add_library(tavrilo_movieffmpeg STATIC
  Common/MovieFfmpeg/BroadcastFormats.cpp
  Common/MovieFfmpeg/ChromaGamut.cpp
  Common/MovieFfmpeg/FfmpegWriter.cpp
  Common/MovieFfmpeg/FrameDigest.cpp
  Common/MovieFfmpeg/MovieCodecs.cpp
  Common/MovieFfmpeg/MovieRates.cpp
  Common/MovieFfmpeg/MovieReader.cpp
)
target_include_directories(tavrilo_movieffmpeg PUBLIC Common/MovieFfmpeg)
target_link_libraries(tavrilo_movieffmpeg PUBLIC tavrilo_cdib tavrilo_utilities tavrilo_platform PkgConfig::FFMPEG)

add_library(tavrilo_quicktime STATIC
  Common/MakeMovieQT/QuickTimeBoxes.cpp
  Common/MakeMovieQT/QuickTimeWriter.cpp
)
target_include_directories(tavrilo_quicktime PUBLIC Common/MakeMovieQT)
target_link_libraries(tavrilo_quicktime PUBLIC tavrilo_movieffmpeg)

add_library(tavrilo_movie STATIC
  Common/MakeMovieAVI/AviWriter.cpp
  Common/MakeMovieAVI/DpsWriter.cpp
  Common/MakeMovieAVI/MovieWriter.cpp
  Common/MakeMovieAVI/RtvWriter.cpp
)
target_include_directories(tavrilo_movie PUBLIC Common/MakeMovieAVI)
target_link_libraries(tavrilo_movie PUBLIC tavrilo_quicktime tavrilo_movieffmpeg tavrilo_cdib tavrilo_platform ${CMAKE_DL_LIBS})

# A movie rendered in parts: how the frames are shared out, the segments'
# names and tags, and the join that copies their coded frames into one movie.
add_library(tavrilo_movieparts STATIC
  Common/MovieParts/MovieJoin.cpp
  Common/MovieParts/SegmentCheck.cpp
  Common/MovieParts/MovieSegments.cpp
)
target_include_directories(tavrilo_movieparts PUBLIC Common/MovieParts)
target_link_libraries(tavrilo_movieparts PUBLIC tavrilo_movie tavrilo_quicktime tavrilo_movieffmpeg tavrilo_platform)

# Picture files written quickly: the PNG encoder, its run deflate and the
# queue that writes a sequence's pictures on worker threads.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
find_package(Threads REQUIRED)
add_library(tavrilo_pictureout STATIC
  Common/PictureOut/PngEncoder.cpp
  Common/PictureOut/RunDeflate.cpp
  Common/PictureOut/PictureQueue.cpp
)
target_include_directories(tavrilo_pictureout PUBLIC Common/PictureOut)
target_link_libraries(tavrilo_pictureout PUBLIC tavrilo_cdib Threads::Threads PRIVATE PkgConfig::LIBDEFLATE)

# Make Movie: option rules, the render loop and whole movies (no windows).
add_library(tavrilo_producer STATIC
  show/Producer/MakeMovie.cpp
  show/Producer/MovieFrames.cpp
  show/Producer/MovieOptions.cpp
  show/Producer/MovieParts.cpp
  show/Producer/MovieRules.cpp
  show/Producer/RenderRange.cpp
)
target_include_directories(tavrilo_producer PUBLIC show/Producer)
target_link_libraries(tavrilo_producer PUBLIC tavrilo_draw tavrilo_movieparts tavrilo_movie tavrilo_utilities tavrilo_platform)

# Live data: whole tables and stream files read and checked, the watcher
# that reads a data file each time it is written, and the data morph. The
# play-out and the desktop's Watch Data File use it.
add_library(tavrilo_livedata STATIC
  show/LiveData/LiveTable.cpp
  show/LiveData/DataWatcher.cpp
  show/LiveData/DataMorph.cpp
  show/LiveData/WatchedData.cpp
)
target_include_directories(tavrilo_livedata PUBLIC show/LiveData)
target_link_libraries(tavrilo_livedata PUBLIC tavrilo_doc tavrilo_utilities tavrilo_platform Threads::Threads)

# Live streams: frames sent to udp://, srt://, rtmp://, a file or a pipe
# through FFmpeg's protocols and muxers, on the movie layer's encoder.
add_library(tavrilo_movielive STATIC Common/MovieLive/LiveStream.cpp)
target_include_directories(tavrilo_movielive PUBLIC Common/MovieLive)
target_link_libraries(tavrilo_movielive PUBLIC tavrilo_movieffmpeg tavrilo_cdib tavrilo_platform)

# The live play-out: the clock, the play-out's position in the show, the
# frame loops and the remote control server.
add_library(tavrilo_live STATIC
  show/Live/LiveClock.cpp
  show/Live/PlayoutTimeline.cpp
  show/Live/LiveCommands.cpp
  show/Live/LiveControl.cpp
  show/Live/LivePlayout.cpp
)
target_include_directories(tavrilo_live PUBLIC show/Live)
target_link_libraries(tavrilo_live PUBLIC tavrilo_producer tavrilo_livedata tavrilo_draw tavrilo_movieffmpeg tavrilo_utilities tavrilo_platform Threads::Threads)

# The chart renderer's GL layer: EGL context, framebuffer, textures, chart
# primitives and outline fonts. No window system: EGL and libOpenGL only.
pkg_check_modules(TAVRILO_GL_DEPS REQUIRED IMPORTED_TARGET egl opengl glu freetype2 fontconfig)
add_library(tavrilo_gl STATIC
  Common/OpenGL/GLContext.cpp
  Common/OpenGL/GLFrame.cpp
  Common/OpenGL/GLSum.cpp
  Common/OpenGL/GLTextures.cpp
  Common/OpenGL/GLPrimitives.cpp
  Common/OpenGL/GLFonts.cpp
)
target_include_directories(tavrilo_gl PUBLIC Common/OpenGL)
target_link_libraries(tavrilo_gl PUBLIC tavrilo_cdib tavrilo_platform PRIVATE tavrilo_utilities PkgConfig::TAVRILO_GL_DEPS)

# Drawing the show through the renderer: the chart steps and the frame.
# Kept apart from tavrilo_doc so that the document itself needs no GL.
add_library(tavrilo_draw STATIC
  show/Doc/DrawChart.cpp
  show/Doc/DrawText.cpp
  show/Doc/DrawFrame.cpp
)
target_include_directories(tavrilo_draw PUBLIC show/Doc)
target_link_libraries(tavrilo_draw PUBLIC tavrilo_doc tavrilo_gl)

# The desktop side: the platform layer on Qt 6 Widgets and the program's
# windows. Not part of the core; nothing above links it but the desktop
# program and its tests.
if(NOT TAVRILO_FUZZ)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  qt_add_resources(tavrilo_resource_sources ${CMAKE_CURRENT_SOURCE_DIR}/resources/tavrilo.qrc)
  add_library(tavrilo_qtplatform STATIC
    Common/CrossPlatform/Qt/QtApp.cpp
    Common/CrossPlatform/Qt/QtDialogs.cpp
    Common/CrossPlatform/Qt/QtDrawing.cpp
    Common/CrossPlatform/Qt/QtEvents.cpp
    Common/CrossPlatform/Qt/QtKeys.cpp
    Common/CrossPlatform/Qt/QtMenus.cpp
    Common/CrossPlatform/Qt/QtText.cpp
    Common/CrossPlatform/Qt/QtTextField.cpp
    Common/CrossPlatform/Qt/QtTimers.cpp
    Common/CrossPlatform/Qt/QtWindows.cpp
    ${tavrilo_resource_sources}
  )
  target_include_directories(tavrilo_qtplatform PUBLIC Common/CrossPlatform PRIVATE Common/CrossPlatform/Qt)
  target_link_libraries(tavrilo_qtplatform PUBLIC tavrilo_platform tavrilo_cdib Qt6::Widgets PRIVATE tavrilo_utilities)
  # The build tree lays the help page out as an installation does, so that
  # the program finds it at <program folder>/../share/tavrilo there too.
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/resources/help/Tavrilo.html
                 ${CMAKE_BINARY_DIR}/share/tavrilo/Tavrilo.html COPYONLY)
  # The help shows the screenshots of docs/ beside it.
  file(GLOB tavrilo_help_pictures CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/docs/screenshot-*.png)
  foreach(picture ${tavrilo_help_pictures})
    get_filename_component(name ${picture} NAME)
    configure_file(${picture} ${CMAKE_BINARY_DIR}/share/tavrilo/docs/${name} COPYONLY)
  endforeach()
endif()

# The program's own drawn dialogs (value dialog, colour and texture chooser)
# on the platform layer's drawing and queue. The colour arithmetic is here
# too: it needs no windows, but only the dialogs and editors use it.
if(NOT TAVRILO_FUZZ)
  add_library(tavrilo_dialogs STATIC
    Common/Utilities/ColorMath.cpp
    Common/Utilities/ValueDialog.cpp
    Common/Utilities/ColorChooser.cpp
  )
  target_include_directories(tavrilo_dialogs PUBLIC Common/Utilities)
  target_link_libraries(tavrilo_dialogs PUBLIC tavrilo_utilities tavrilo_qtplatform)
endif()

# The desktop program's windows: the preview and the main window.
if(NOT TAVRILO_FUZZ)
  add_library(tavrilo_preview STATIC
    show/Preview/PreviewWindow.cpp
    show/Preview/DataGrid.cpp
    show/Preview/PreviewRender.cpp
    show/Preview/ProgressPanel.cpp
  )
  target_include_directories(tavrilo_preview PUBLIC show/Preview)
  target_link_libraries(tavrilo_preview PUBLIC tavrilo_draw tavrilo_doc tavrilo_qtplatform)

  # The property tabs beside the preview.
  add_library(tavrilo_tab STATIC
    show/Tab/TabsWindow.cpp
    show/Tab/TabPages.cpp
    show/Tab/TabControls.cpp
  )
  target_include_directories(tavrilo_tab PUBLIC show/Tab)
  target_link_libraries(tavrilo_tab PUBLIC tavrilo_dialogs tavrilo_doc tavrilo_utilities tavrilo_qtplatform PRIVATE tavrilo_gl)

  # The timeline under the preview.
  add_library(tavrilo_time STATIC
    show/Time/TimelineWindow.cpp
    show/Time/TimelineDraw.cpp
    show/Time/TimeScale.cpp
    show/Time/KeyOptions.cpp
  )
  target_include_directories(tavrilo_time PUBLIC show/Time)
  target_link_libraries(tavrilo_time PUBLIC tavrilo_dialogs tavrilo_doc tavrilo_utilities tavrilo_qtplatform)

  add_library(tavrilo_main STATIC
    show/Main/MainWindow.cpp
    show/Main/Commands.cpp
    show/Main/Keyboard.cpp
    show/Main/ToolStrip.cpp
    show/Main/Playback.cpp
    show/Main/MovieCommand.cpp
    show/Main/MovieDialogs.cpp
    show/Main/WatchData.cpp
  )
  target_include_directories(tavrilo_main PUBLIC show/Main PRIVATE ${TAVRILO_GENERATED_DIR})
  target_link_libraries(tavrilo_main PUBLIC tavrilo_tab tavrilo_time tavrilo_preview tavrilo_producer tavrilo_livedata tavrilo_dialogs tavrilo_doc tavrilo_qtplatform)
endif()

# Loaded by the configure of the Qt for Windows after its project(): moc is no longer handed MinGW's
# own include folders. moc reads every header a header includes, and through those folders it read
# the C++ library and the Windows headers for each class: two thirds of its time, two minutes of CPU
# in all. The code it writes for this Qt is the same without them, file by file; compile lines leave
# those folders out either way.
set(CMAKE_CXX_IMPLICIT_INCLUDE_DIRECTORIES "")

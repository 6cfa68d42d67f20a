# CMake generated Testfile for 
# Source directory: /work/main/engine
# Build directory: /work/main/build/engine
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.

// image.cpp - being written

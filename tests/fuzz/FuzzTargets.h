// One entry per file format: feeds bytes to the loader as the program would. Expected
// failures are the loaders' own exceptions; anything else is a finding.
#pragma once

#include <cstddef>
#include <cstdint>

void FuzzPng(const std::uint8_t* data, std::size_t size);
void FuzzBmp(const std::uint8_t* data, std::size_t size);
void FuzzJpeg(const std::uint8_t* data, std::size_t size);  // the first byte picks .jpg or .jpx
void FuzzFarc(const std::uint8_t* data, std::size_t size);
void FuzzClr(const std::uint8_t* data, std::size_t size);  // colour schemes
void FuzzIni(const std::uint8_t* data, std::size_t size);  // settings files, read and updated; category lists
void FuzzItems(const std::uint8_t* data, std::size_t size);  // item files and archives, lines taken out

#pragma once

#include "image/FirmwareImage.h"
#include "image/HexRecord.h"
#include "image/HexTextWriter.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace orvex::test {

// Each test loads sample files it writes itself into a scratch directory.
class ImageFileTest : public ::testing::Test {
protected:
    void loadText(std::string_view name, std::string_view text) { image.load(scratch.write(name, text)); }

    ScratchDir scratch;
    FirmwareImage image;
};

// The lines joined, each followed by lineEnd.
std::string hexText(std::initializer_list<std::string> lines, std::string_view lineEnd = "\n");

// An image of size bytes, all 0xFF but for bytes placed at offset.
Bytes erasedWith(std::size_t size, std::size_t offset, const Bytes& bytes);

} // namespace orvex::test

#pragma once

#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>

namespace orvex::test {

// A fresh directory per test, with byte-exact file access.
class TestFiles {
public:
    std::string directory() const { return dir_.path().toStdString(); }
    std::string path(const std::string& name) const { return directory() + "/" + name; }

    static void write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    QTemporaryDir dir_;
};

} // namespace orvex::test

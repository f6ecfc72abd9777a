#include "settings/ExclusiveFile.h"

#include "settings/FileDescriptor.h"

namespace orvex {

ExclusiveFile::~ExclusiveFile()
{
    close();
}

bool ExclusiveFile::open(const std::string& path)
{
    close();
    descriptor_ = openExclusive(path);
    return isOpen();
}

void ExclusiveFile::close()
{
    if (!isOpen())
        return;
    closeDescriptor(descriptor_);
    descriptor_ = -1;
}

bool ExclusiveFile::readAll(std::string& content, std::size_t maxBytes)
{
    content.clear();
    return isOpen() && readFromStart(descriptor_, maxBytes, content);
}

bool ExclusiveFile::replaceContent(std::string_view content)
{
    return isOpen() && replaceFromStart(descriptor_, content);
}

bool ExclusiveFile::flush()
{
    return isOpen() && flushToDisk(descriptor_);
}

} // namespace orvex

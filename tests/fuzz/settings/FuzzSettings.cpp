// Feeds arbitrary bytes to the settings reader as a file, then checks that
// the lines it yields obey the format, that the read-only reader sees the same
// port devices, and that one save makes the file stable.

#include "settings/ProcedureSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsText.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using orvex::SettingsFile;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

class ScratchFile {
public:
    ScratchFile() : path_((directory() / ("fuzz_settings_" + std::to_string(getpid()) + ".cfg")).string()) {}
    ~ScratchFile() { std::filesystem::remove(path_); }

    const std::string& path() const { return path_; }

    void write(const std::string& bytes) const { std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes; }
    std::string read() const
    {
        std::ifstream in(path_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    // Memory-backed where there is such a place: on a disk every run's
    // truncations and flushes cost several times the work under test.
    static std::filesystem::path directory()
    {
        const std::filesystem::path memory = "/dev/shm";
        std::error_code error;
        return std::filesystem::is_directory(memory, error) ? memory : std::filesystem::temp_directory_path();
    }

    std::string path_;
};

std::vector<std::string> nonEmptyLines(const SettingsFile& file)
{
    std::vector<std::string> lines;
    for (const std::string& line : file.lines()) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

void checkLinesAreReadForm(const SettingsFile& file)
{
    for (const std::string& line : file.lines()) {
        check(line.size() <= orvex::kMaxLineLength);
        check(line.find('\n') == std::string::npos);
        check(orvex::trimmed(line) == line);
    }
}

void exerciseGetters(const SettingsFile& file)
{
    for (int index = 0; index < static_cast<int>(file.lines().size()); ++index) {
        const std::string key(orvex::keyOf(file.lines()[static_cast<std::size_t>(index)]));
        const int found = file.findKey(key);
        check(found >= 0 && found <= index);
        check(file.getString(key) == std::string(orvex::valueOf(file.lines()[static_cast<std::size_t>(found)])));
        (void)file.getInt(key);
    }
}

void checkSettersRoundTrip(SettingsFile& file, const std::string& bytes)
{
    const std::string firstKey(file.lines().empty() ? std::string_view{} : orvex::keyOf(file.lines().front()));
    const std::string key = firstKey.empty() ? "fuzz" : firstKey;
    const auto number = static_cast<std::int32_t>(std::hash<std::string>{}(bytes));
    file.setInt(key, number);
    check(file.getInt(key) == number);
    file.setString(key, bytes.substr(0, 64));
    check(file.getString(key) == bytes.substr(0, 64));
}

// Reopens what was saved last and saves it again; the lines read and the
// bytes written.
std::vector<std::string> reloadAndSave(const ScratchFile& scratch, std::string& saved)
{
    SettingsFile file;
    check(file.open(scratch.path()));
    checkLinesAreReadForm(file);
    std::vector<std::string> lines = nonEmptyLines(file);
    check(file.saveAndClose());
    saved = scratch.read();
    return lines;
}

void loadChangeAndSave(const ScratchFile& scratch, const std::string& bytes)
{
    SettingsFile file;
    check(file.open(scratch.path()));
    checkLinesAreReadForm(file);
    check(orvex::readPortDevices(scratch.path()) == orvex::portDevicesFromFile(file));
    exerciseGetters(file);
    checkSettersRoundTrip(file, bytes);
    check(file.saveAndClose());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const ScratchFile scratch;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    scratch.write(bytes);
    if (bytes.size() > orvex::kMaxSettingsFileLength) {
        check(!SettingsFile().open(scratch.path()));
        return 0;
    }
    loadChangeAndSave(scratch, bytes);

    // Whatever the setters left, one round brings the file to its written
    // form, which then reads back as the same lines and bytes.
    std::string firstSave;
    std::string secondSave;
    const std::vector<std::string> first = reloadAndSave(scratch, firstSave);
    const std::vector<std::string> second = reloadAndSave(scratch, secondSave);
    check(second == first);
    check(secondSave == firstSave);
    return 0;
}

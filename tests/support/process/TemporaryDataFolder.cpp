// Linked into every test, benchmark and fuzzing program: the program keeps its settings,
// keychain and caches in a folder of its own under the temporary folder, removed when it ends,
// so running them never touches the user's data folder. Whatever file-creation mask the program
// was started under, what it makes has the modes it names: a test that tries a mask sets it itself.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class TemporaryDataFolder {
public:
    TemporaryDataFolder()
    {
        ::umask(022);
        std::error_code ec;
        std::string pattern = (fs::temp_directory_path(ec) / "floorpad-data-XXXXXX").string();
        if (::mkdtemp(pattern.data())) {
            m_path = pattern;
            ::setenv("FLOORPAD_DATA_DIR", pattern.c_str(), 1);
        }
    }
    ~TemporaryDataFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            fs::remove_all(m_path, ec);
    }
    TemporaryDataFolder(const TemporaryDataFolder&) = delete;
    TemporaryDataFolder& operator=(const TemporaryDataFolder&) = delete;

private:
    fs::path m_path;
};

const TemporaryDataFolder programFolder;

} // namespace

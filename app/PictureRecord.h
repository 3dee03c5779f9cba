#pragma once

#include "platform/foundation/FileIdentity.h"
#include "platform/foundation/OpenFolder.h"
#include "platform/foundation/UniqueFd.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

// The pictures the program wrote into a folder of the user's, kept there in a file of its own, so
// that a later run removes those and nothing else: a name alone does not tell who wrote a file. A
// picture counts as the one written only while it is that very file: the same device, inode and
// size, and a change time untouched since its writing ended. An edit, a chmod, a new link, a copy
// put back in its place or a file moved there all make it the user's.
//
// The record is a header line and then a line for each picture, appended: a picture costs the
// same however many came before, and a record cut short loses at most its last line. It is
// trusted only while no other account could have written it. Everything goes through the folder
// as it was opened: whatever is later put at its path is left alone.
class PictureRecord {
public:
    static constexpr std::string_view FileName = ".floorpad-screens.json";

    // ownName: the form of the names the program writes; a name of any other form in a record is
    // never removed.
    PictureRecord(SharedFolder folder, std::function<bool(std::string_view)> ownName);

    // Removes the pictures the last record names and starts a new record. A record that another
    // account owns or may write is left as it is: nothing is removed, and this run keeps no
    // record. One this version cannot read is set aside and nothing is removed. How many went.
    std::size_t removeRecordedPictures();
    // Whether this run's pictures are being recorded.
    bool isKept() const { return m_file.isValid(); }
    // Records a picture just written under that name in the folder, as it stood once written.
    // Whether the record was kept: one that has gained another link is not written again.
    bool add(const std::string& name, const FileIdentity& written);

private:
    // The pictures the record open at fd names, removed; false when it is no record.
    bool removePicturesNamedIn(int fd, std::size_t& removed) const;
    void removeIfStillWritten(const std::string& line, std::size_t& removed) const;
    void startRecord();

    SharedFolder m_folder;
    std::function<bool(std::string_view)> m_ownName;
    UniqueFd m_file;
};

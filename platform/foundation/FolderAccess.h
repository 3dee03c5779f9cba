#pragma once

#include <sys/stat.h>
#include <sys/types.h>

// Who may write a folder as it stands now, and so whom the files the program makes there for every
// run on it (the screens folder's lock and its list of pictures) must serve. Asked afresh each
// time such a file is made or held, so a folder whose mode, group or owner has changed since is
// served as it is now.
class FolderAccess {
public:
    explicit FolderAccess(const struct stat& folder)
        : m_folder(folder)
    {
    }

    // Whether the running account may open the file for reading, as its mode says.
    static bool mayRead(const struct stat& file);
    // Whether an account besides the running one may write in the folder: then it may plant or
    // remove names there as it likes.
    bool othersMayWrite() const;
    // Whether the running account, which may write in the folder, may remove another account's
    // file there: anywhere but in a sticky folder of another account's.
    bool mayRemoveOthersFiles() const;
    // Whether the account may enter the folder and write in it, as its mode says.
    bool mayWrite(uid_t account) const;
    // The folder's owner.
    uid_t owner() const { return m_folder.st_uid; }
    // Gives the file open at fd to the keeper, where it is another account.
    void keep(int fd) const;
    // Opens the lock open at fd, one the program made or its own marked one (LockFile::isOwn), to
    // exactly those who may write the folder, as far as a mode can say it: 0600 and the keeper's
    // where only one account may write the folder; 0640 and the folder's group where its group may
    // and others may not; 0644 where anyone may, and also where the group cannot be given (the
    // maker, or the folder's owner, is outside it), so that every account that may write the folder
    // can still lock it. The owner and group are given before the mode, so that no moment of the
    // change closes it to anyone it is open to before and after.
    void openLock(int fd) const;

private:
    // Whose the program's own files there are: the folder's owner where that account alone may write
    // it (as root's run in a user's folder finds it), else the running account.
    uid_t keeper() const;

    struct stat m_folder;
};

#include "remote/picture_mover.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "remote/dated_picture_name.h"

namespace talbex::remote {

PictureMover::PictureMover(std::string incomingFolder) : incoming_(std::move(incomingFolder)) {
    if (incoming_.empty() || incoming_.back() != '/')
        incoming_ += '/';
}

std::vector<PictureMover::Entry> PictureMover::list() const {
    std::vector<Entry> entries;
    const int dirFd = ::open(incoming_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return entries;
    DIR* listing = ::fdopendir(dirFd);
    if (listing == nullptr) {
        ::close(dirFd);
        return entries;
    }
    while (const dirent* item = ::readdir(listing)) {
        if (item->d_name[0] == '.')
            continue;  // ".", "..", and transfers still being written
        struct stat st {};
        if (::fstatat(dirFd, item->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        entries.push_back(
            {item->d_name, int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec});
    }
    ::closedir(listing);
    return entries;
}

PictureMover::Waiting PictureMover::waiting() const {
    std::vector<Entry> entries = list();
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.time != b.time ? a.time < b.time : a.name < b.name;
    });
    Waiting waiting;
    for (const Entry& entry : entries)
        (IsDatedPictureName(entry.name) ? waiting.datedNames : waiting.cameraNames)
            .push_back(entry.name);
    std::sort(waiting.datedNames.begin(), waiting.datedNames.end(), DatedNameBefore);
    return waiting;
}

bool PictureMover::name(const Entry& entry, const os::LocalTime& now) {
    const os::MoveResult result = os::MoveWithoutReplacing(incoming_ + entry.name, incoming_,
                                                           DatedPictureName(now, entry.name));
    return result.moved;
}

bool PictureMover::nameNewest(const os::LocalTime& now) {
    const Entry* newest = nullptr;
    const std::vector<Entry> entries = list();
    for (const Entry& entry : entries)
        if (!IsDatedPictureName(entry.name) && (newest == nullptr || entry.time > newest->time))
            newest = &entry;
    return newest != nullptr && name(*newest, now);
}

int PictureMover::nameAll(const os::LocalTime& now) {
    int named = 0;
    for (const std::string& cameraName : waiting().cameraNames)
        named += name(Entry{cameraName, 0}, now) ? 1 : 0;
    return named;
}

PictureMover::Delivery PictureMover::moveDated() {
    Delivery delivery;
    if (saveFolder_.empty())
        return delivery;
    const std::vector<std::string> dated = waiting().datedNames;
    if (!dated.empty() && saveFolder_.front() != '/') {
        delivery.refusal = "not a full path";
        return delivery;
    }
    for (const std::string& name : dated) {
        const std::string from = incoming_ + name;
        const os::MoveResult result = os::MoveWithoutReplacing(from, saveFolder_, name);
        if (result.moved) {
            ++delivery.moved;
            delivery.arrived.push_back(result.path);
            continue;
        }
        struct stat st {};
        if (::lstat(from.c_str(), &st) != 0)
            continue;  // gone meanwhile: nothing of the save folder's doing
        delivery.refusal = std::strerror(result.errorCode);
        break;
    }
    return delivery;
}

}  // namespace talbex::remote

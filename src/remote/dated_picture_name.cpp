#include "remote/dated_picture_name.h"

#include <cctype>
#include <tuple>

#include "shell/picture_name.h"

namespace talbex::remote {

namespace {

struct DatedParts {
    std::string digits;
    long number = 0;
    std::string extension;
};

bool Digits(const std::string& text, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return to > from;
}

bool Split(const std::string& name, DatedParts* parts) {
    if (name.rfind("IMG", 0) != 0)
        return false;
    size_t end = 3;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end])))
        ++end;
    if (end - 3 < 14)
        return false;
    DatedParts found;
    found.digits = name.substr(3, end - 3);
    if (end < name.size() && name[end] == '_') {
        size_t numberEnd = end + 1;
        while (numberEnd < name.size() && std::isdigit(static_cast<unsigned char>(name[numberEnd])))
            ++numberEnd;
        if (!Digits(name, end + 1, numberEnd) || numberEnd - end > 9)
            return false;
        found.number = std::stol(name.substr(end + 1, numberEnd - end - 1));
        end = numberEnd;
    }
    if (end < name.size() && name[end] != '.')
        return false;
    found.extension = name.substr(end);
    if (parts)
        *parts = std::move(found);
    return true;
}

}  // namespace

std::string DatedPictureName(const os::LocalTime& local, const std::string& cameraName) {
    std::string name = shell::TimestampPictureName(local);
    name.erase(name.rfind('.'));
    const size_t dot = cameraName.rfind('.');
    if (dot != std::string::npos && dot != 0)
        name += cameraName.substr(dot);
    return name;
}

bool IsDatedPictureName(const std::string& name) {
    return Split(name, nullptr);
}

bool DatedNameBefore(const std::string& a, const std::string& b) {
    DatedParts pa, pb;
    if (!Split(a, &pa) || !Split(b, &pb))
        return a < b;
    return std::make_tuple(pa.digits.size(), pa.digits, pa.number, pa.extension) <
           std::make_tuple(pb.digits.size(), pb.digits, pb.number, pb.extension);
}

}  // namespace talbex::remote

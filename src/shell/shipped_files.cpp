#include "shell/shipped_files.h"

#include <filesystem>
#include <fstream>

namespace talbex::shell {

namespace {

void WriteIfMissing(const std::string& path, const std::string& content) {
    std::error_code error;
    if (std::filesystem::exists(path, error) || error)
        return;
    std::ofstream out(path, std::ios::binary);
    out << content;
}

}  // namespace

void InstallShippedFiles(const std::string& directory, const std::string& version) {
    WriteIfMissing(directory + "ver.htm", version);
    WriteIfMissing(directory + "index_en.htm",
                   "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                   "<title>Talbex</title></head>\n<body><h1>Talbex</h1>\n"
                   "<p>Connect your camera with its USB cable and switch it on.</p></body>"
                   "</html>\n");
    WriteIfMissing(directory + "index_cn.htm",
                   "<!DOCTYPE html>\n<html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
                   "<title>Talbex</title></head>\n<body><h1>Talbex</h1>\n"
                   "<p>请用 USB 线连接相机并打开相机电源。</p></body></html>\n");
}

}  // namespace talbex::shell

#include "download_target.h"

#include "replacement_file.h"
#include "target_file_name.h"

namespace updater {

void DownloadTarget(net::HttpDownloadClient& client, const std::string& url, const std::string& file_name,
                    const std::string& folder, const net::ProgressHandler& progress) {
    CheckTargetFileName(file_name);
    platform::ReplacementFile file(folder + file_name);
    client.Get(url, [&](std::string_view bytes) { file.Write(bytes); }, progress);
    client.Close();
    file.Commit();
}

}  // namespace updater

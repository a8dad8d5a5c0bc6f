#pragma once
// Fetching the target program into the launcher's folder.

#include <string>

#include "http_download.h"

namespace updater {

// GETs `url` into `folder` + `file_name` with `client`. The file name is
// checked first and the target must be replaceable before any request is
// sent. The body goes into a new file beside the target, which replaces the
// target only once it is complete; on any failure the new file is deleted
// and the target stays as it was.
void DownloadTarget(net::HttpDownloadClient& client, const std::string& url, const std::string& file_name,
                    const std::string& folder, const net::ProgressHandler& progress);

}  // namespace updater

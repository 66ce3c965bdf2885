#include "support/unreadable_file.h"

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// The effective set of the calling thread (two words of 32 capabilities each).
bool readCapabilities(__user_cap_data_struct data[2]) {
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  return syscall(SYS_capget, &header, data) == 0;
}

bool writeCapabilities(__user_cap_data_struct data[2]) {
  __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
  return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

UnreadableFile::UnreadableFile(const std::string& path) : path_(path) {
  chmod(path_.c_str(), 0);
  __user_cap_data_struct data[2];
  if (!readCapabilities(data))
    return;
  effective_[0] = data[0].effective;
  effective_[1] = data[1].effective;
  // Only dropped from the effective set: the permitted set keeps them for the way back.
  data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
  capabilitiesDropped_ = writeCapabilities(data);
}

UnreadableFile::~UnreadableFile() {
  if (capabilitiesDropped_) {
    __user_cap_data_struct data[2];
    if (readCapabilities(data)) {
      data[0].effective = effective_[0];
      data[1].effective = effective_[1];
      writeCapabilities(data);
    }
  }
  chmod(path_.c_str(), 0644);
}

unsigned UnreadableFile::openErrorCode() {
  return EACCES;
}

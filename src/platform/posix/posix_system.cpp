#include "platform/posix/posix_platform.h"

Platform& systemPlatform() {
  return posixPlatform();
}

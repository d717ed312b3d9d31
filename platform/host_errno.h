// Result codes for failed host calls (the layer's local mapping).
#pragma once

#include <cerrno>

#include "platform/mac_types.h"

namespace plat {

inline OSErr HostErrorResult(int error) {
  switch (error) {
    case 0: return noErr;
    case ENOENT: return fnfErr;
    case ENOTDIR: return dirNFErr;
    case EEXIST: return dupFNErr;
    case ENOTEMPTY: return fBsyErr;
    case EBUSY: return fBsyErr;
    case EACCES: case EPERM: return permErr;
    case EROFS: return wPrErr;
    case ENOSPC: case EDQUOT: return dskFulErr;
    case EXDEV: return diffVolErr;
    case EISDIR: return notAFileErr;
    case ENAMETOOLONG: return errFSNameTooLong;
    case EMFILE: case ENFILE: return tmfoErr;
    case ENOMEM: return memFullErr;
    case EINVAL: return paramErr;
    case ENOTSUP: return errFSOperationNotSupported;
    default: return ioErr;
  }
}

}  // namespace plat

#include "swf/swf_resource_movies.h"

#include <algorithm>
#include <vector>

#include "foundation/resource_file.h"
#include "platform/memory_handles.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"

std::unique_ptr<CSwfTag> TakeTagFromResourceMovie(ResType type, ResID id,
                                                  std::initializer_list<u16> codes) {
  Handle resource = nullptr;
  long size = 0;
  if (!LoadMainResource(type, id, &resource, &size)) return nullptr;
  std::vector<u8> movie;
  if (*resource && size > 0) {
    HLock(resource);
    const u8* bytes = reinterpret_cast<const u8*>(*resource);
    movie.assign(bytes, bytes + size);
    HUnlock(resource);
  }
  ReleaseMainResource(&resource);

  CSwfReader reader;
  if (movie.size() > 0xFFFFFFFFu ||
      !reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true))
    return nullptr;
  std::vector<std::unique_ptr<CSwfTag>> tags = reader.TakeTags();
  for (std::unique_ptr<CSwfTag>& tag : tags) {
    if (std::find(codes.begin(), codes.end(), tag->GetCode()) != codes.end()) return std::move(tag);
  }
  return nullptr;
}

// Movies kept as resources of the bundle's "main.rsrc", from which single
// tags are taken.
#pragma once

#include <initializer_list>
#include <memory>

#include "platform/mac_types.h"

class CSwfTag;

// The first tag of one of the codes in the movie held by the bundle
// resource of that type and id. The movie's other tags are deleted. Null
// when the resource is missing, is no movie, or holds no such tag.
[[nodiscard]] std::unique_ptr<CSwfTag> TakeTagFromResourceMovie(ResType type, ResID id,
                                                                std::initializer_list<u16> codes);

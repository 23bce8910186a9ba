#include "splash_resources.h"

// Written at build time by the resource generator.
extern "C" {
extern const unsigned char pellucid_resource_101[];
extern const size_t pellucid_resource_101_size;
extern const unsigned char pellucid_resource_102[];
extern const size_t pellucid_resource_102_size;
extern const unsigned char pellucid_resource_103[];
extern const size_t pellucid_resource_103_size;
}

namespace pellucid {

ResourceData FindResource(int id) {
    switch (id) {
    case kResourcePicture:
        return {pellucid_resource_101, pellucid_resource_101_size};
    case kResourceMovie:
        return {pellucid_resource_102, pellucid_resource_102_size};
    case kResourceVideo:
        return {pellucid_resource_103, pellucid_resource_103_size};
    default:
        return {};
    }
}

} // namespace pellucid

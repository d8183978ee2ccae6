// The files the native build carries in place of the program's RC_DATA resources.
#pragma once

struct TEmbeddedResource {
    const char* name;
    const unsigned char* bytes;
    unsigned long size;
};

extern const TEmbeddedResource kEmbeddedResources[];
extern const int kEmbeddedResourceCount;

#pragma once

#include <string>

// Records of the song catalogue that the session keeps room for; the venue protocol does not
// fill them.
struct OkSingerObject {
    std::string singerId;
    std::string singerName;
    std::string singerPhotoNum;
    std::string singerWordCount;
    std::string singerInputCode;
    std::string singerSex;
    std::string singerSexName;
    std::string singerOrder;
    std::string singerCode;
    bool isShow = false;
};

// A song language, singer category or song category.
struct CatalogueType {
    std::string typeName;
    int typeCode = 0;
};
struct LanTypeObject : CatalogueType {};
struct SingerTypeObject : CatalogueType {};
struct SongTypeObject : CatalogueType {};

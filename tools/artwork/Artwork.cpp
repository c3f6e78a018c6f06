#include "Artwork.h"

namespace artwork {

std::vector<ArtworkFile> DrawArtwork()
{
    std::vector<ArtworkFile> files;
    DrawFaderArt(files);
    DrawButtonArt(files);
    DrawCursorArt(files);
    return files;
}

}  // namespace artwork

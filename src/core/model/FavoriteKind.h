#pragma once

// What a favourite is; the value is also the column of its image in the
// status image strip (image = status offset + kind).
enum FavoriteKind : int {
    KindInternetFavorite = 0,
    KindFolder = 1,
    KindChannelLink = 2,
    KindShortcut = 3,
};

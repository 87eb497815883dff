#pragma once

namespace vantor::mpris {

// The names of the media player interface on the bus.
inline constexpr char kNamePrefix[] = "org.mpris.MediaPlayer2.";
inline constexpr char kObjectPath[] = "/org/mpris/MediaPlayer2";
inline constexpr char kRootInterface[] = "org.mpris.MediaPlayer2";
inline constexpr char kPlayerInterface[] = "org.mpris.MediaPlayer2.Player";
inline constexpr char kTrackListInterface[] = "org.mpris.MediaPlayer2.TrackList";
inline constexpr char kPropertiesInterface[] = "org.freedesktop.DBus.Properties";
inline constexpr char kNoTrack[] = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

inline constexpr char kBusName[] = "org.freedesktop.DBus";
inline constexpr char kBusPath[] = "/org/freedesktop/DBus";
inline constexpr char kBusInterface[] = "org.freedesktop.DBus";

}  // namespace vantor::mpris

#include "tools/make_sample/playlist_file.h"

#include <cstdio>

namespace vantrel::sample {

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string attr(const char* name, const std::string& value) {
  return std::string(" ") + name + "=\"" + escaped(value) + "\"";
}

std::string attr(const char* name, long long value) { return attr(name, std::to_string(value)); }

class Lines {
 public:
  void add(int depth, const std::string& text) {
    text_.append(size_t(depth), '\t');
    text_ += text;
    text_ += "\r\n";
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
};

const char* attributeTag(PlaylistAttribute::Kind kind) {
  switch (kind) {
    case PlaylistAttribute::Kind::Video: return "VideoAttributeItem";
    case PlaylistAttribute::Kind::Audio: return "AudioAttributeItem";
    case PlaylistAttribute::Kind::Subpicture: return "SubpictureAttributeItem";
  }
  return "";
}

std::string trackTag(const PlaylistTrack& track) {
  switch (track.kind) {
    case PlaylistTrack::Kind::Video:
      return "<Video" + attr("track", track.track) +
             (track.angle > 0 ? attr("angleNumber", track.angle) : std::string()) +
             attr("mediaAttr", track.mediaAttr) + "/>";
    case PlaylistTrack::Kind::Audio:
    case PlaylistTrack::Kind::Subtitle: {
      std::string tag = track.kind == PlaylistTrack::Kind::Audio ? "<Audio" : "<Subtitle";
      tag += attr("track", track.track) + attr("streamNumber", track.streamNumber) +
             attr("mediaAttr", track.mediaAttr);
      if (!track.description.empty()) tag += attr("description", track.description);
      return tag + "/>";
    }
  }
  return "";
}

}  // namespace

std::string playlistTime(uint64_t ticks, bool discClock) {
  const uint64_t frames = discClock ? ticks * 2 / 3003 : ticks * 60 / 90000;
  char text[32];
  std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu",
                (unsigned long long)(frames / 216000), (unsigned long long)(frames / 3600 % 60),
                (unsigned long long)(frames / 60 % 60), (unsigned long long)(frames % 60));
  return text;
}

namespace {

void addTitle(Lines& lines, const PlaylistTitle& title, int number, bool discClock) {
  auto time = [&](uint64_t ticks) { return playlistTime(ticks, discClock); };
  lines.add(2, "<Title" + attr("id", title.id) + attr("titleNumber", number) +
                   attr("displayName", title.displayName) + attr("titleDuration", time(title.duration)) +
                   attr("onEnd", title.id) + ">");
  for (size_t i = 0; i < title.clips.size(); ++i) {
    const PlaylistClip& clip = title.clips[i];
    lines.add(3, "<PrimaryAudioVideoClip" + attr("titleTimeBegin", time(clip.begin)) +
                     attr("titleTimeEnd", time(clip.end)) + attr("src", "file:///dvddisc/HVDVD_TS/" + clip.map) +
                     attr("dataSource", "Disc") + (i > 0 ? attr("seamless", "true") : std::string()) + ">");
    for (const PlaylistTrack& track : clip.tracks.empty() ? title.tracks : clip.tracks) lines.add(4, trackTag(track));
    lines.add(3, "</PrimaryAudioVideoClip>");
  }
  lines.add(3, "<ChapterList>");
  for (const PlaylistChapter& chapter : title.chapters) {
    lines.add(4, "<Chapter" + attr("displayName", chapter.name) + attr("titleTimeBegin", time(chapter.begin)) + "/>");
  }
  lines.add(3, "</ChapterList>");
  lines.add(3, "<TrackNavigationList>");
  for (const PlaylistTrack& track : title.tracks) {
    const char* tag = track.kind == PlaylistTrack::Kind::Video   ? "VideoTrack"
                      : track.kind == PlaylistTrack::Kind::Audio ? "AudioTrack"
                                                                  : "SubtitleTrack";
    std::string line = std::string("<") + tag + attr("track", track.track);
    if (!track.language.empty()) line += attr("langcode", track.language + ":" + track.languageExtension);
    lines.add(4, line + attr("selectable", "true") + "/>");
  }
  lines.add(3, "</TrackNavigationList>");
  lines.add(2, "</Title>");
}

}  // namespace

std::string playlistXml(const Playlist& playlist) {
  Lines lines;
  lines.add(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  lines.add(0, "<Playlist xmlns=\"http://www.dvdforum.org/2005/HDDVDVideo/Playlist\"" +
                   attr("majorVersion", 1) + attr("minorVersion", 0) +
                   (playlist.displayName.empty() ? "" : attr("displayName", playlist.displayName)) + ">");
  lines.add(1, "<Configuration>");
  lines.add(2, "<StreamingBuffer size=\"0\"/>");
  lines.add(2, "<Aperture size=\"1920x1080\"/>");
  lines.add(2, "<MainVideoDefaultColor color=\"108080\"/>");
  lines.add(1, "</Configuration>");
  lines.add(1, "<MediaAttributeList>");
  for (const PlaylistAttribute& item : playlist.attributes) {
    std::string tag = std::string("<") + attributeTag(item.kind) + attr("index", item.index) +
                      attr("codec", item.codec);
    if (item.kind == PlaylistAttribute::Kind::Audio && item.channels > 0) {
      tag += attr("channels", item.channels);
    }
    lines.add(2, tag + "/>");
  }
  lines.add(1, "</MediaAttributeList>");
  lines.add(1, "<TitleSet timeBase=\"60fps\" tickBase=\"60fps\" defaultLanguage=\"en\">");
  for (size_t i = 0; i < playlist.titles.size(); ++i) {
    addTitle(lines, playlist.titles[i], int(i + 1), playlist.discClock);
  }
  lines.add(1, "</TitleSet>");
  lines.add(0, "</Playlist>");
  return lines.take();
}

}  // namespace vantrel::sample

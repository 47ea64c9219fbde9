#include "cli/json_metadata.h"

#include "metadata/disc_time.h"
#include "metadata/languages.h"
#include "metadata/vti_report.h"

namespace vantrel::cli {

namespace {

Json trackJson(const ListedTrack& track) {
  Json t = Json::object();
  t["kind"] = trackKindName(track.kind);
  t["slot"] = track.slot;
  t["label"] = track.label;
  if (!track.langcode.empty()) {
    t["langcode"] = track.langcode;
    const std::string_view language = langcodeLanguage(track.langcode);
    t["language"] = language;
    if (const std::string_view matroska = matroskaLanguage(language); !matroska.empty())
      t["language_iso639_2"] = matroska;
  }
  return t;
}

Json titleJson(const PlaylistTitle& title, const TitleListing& listing, TimeBase base) {
  Json j = Json::object();
  j["number"] = title.number;
  j["name"] = title.name.value_or("");
  if (title.duration) {
    j["duration_code"] = *title.duration;
    j["duration"] = discTimeText(*title.duration, base);
  }
  Json tracks = Json::array();
  for (const ListedTrack& track : listing.tracks) tracks.push_back(trackJson(track));
  Json chapters = Json::array();
  for (const ListedChapter& chapter : listing.chapters) {
    Json c = Json::object();
    c["number"] = chapters.size() + 1;
    c["name"] = chapter.name;
    c["time_code"] = chapter.timeCode;
    c["time"] = chapter.time;
    chapters.push_back(std::move(c));
  }
  j["tracks"] = tracks;
  j["chapters"] = chapters;
  return j;
}

Json videoAttributeJson(const VtiVideoAttribute& v, bool main) {
  Json j = Json::object();
  j["codec"] = vtiVideoCodecName(v.compression);
  j["compression"] = v.compression;
  if (main) {
    j["aspect_ratio"] = vtiAspectName(v.aspect);
    j["aspect_code"] = v.aspect;
  }
  j["resolution"] = vtiResolutionName(v.resolution);
  j["resolution_code"] = v.resolution;
  return j;
}

Json audioAttributeJson(const VtiAudioAttribute& a) {
  Json j = Json::object();
  j["codec"] = vtiAudioCodecName(a.codingMode);
  j["coding_mode"] = a.codingMode;
  if (int rate = vtiSamplingRate(a.sampling)) j["sample_rate"] = rate;
  if (int bits = vtiAudioBits(a)) j["bit_depth"] = bits;
  return j;
}

std::string_view cutPartName(VtiCut::Part part) {
  switch (part) {
    case VtiCut::Part::Header:
      return "header";
    case VtiCut::Part::Table:
      return "attribute_table";
    case VtiCut::Part::Entry:
      return "entry";
    case VtiCut::Part::AudioAttributes:
      break;
  }
  return "audio_attributes";
}

}  // namespace

std::string_view trackKindName(TrackKind kind) {
  switch (kind) {
    case TrackKind::Video:
      return "video";
    case TrackKind::Audio:
      return "audio";
    case TrackKind::Subtitle:
      break;
  }
  return "subtitle";
}

Json playlistJson(const std::string& path, int64_t size, const Playlist& playlist,
                  const PlaylistTitle* title, const TitleListing* listing) {
  const PlaylistHeader& header = playlist.header;
  Json j = Json::object();
  j["path"] = path;
  j["size"] = size;
  if (!header.title.empty()) j["name"] = header.title;
  j["time_base"] = header.timeBase;
  j["tick_base"] = header.tickBase;
  if (const auto& problem = playlist.problem) {
    j["not_well_formed"] = {
        {"line", problem->line}, {"column", problem->column}, {"message", problem->message}};
  }
  if (title && listing) j["title"] = titleJson(*title, *listing, timeBaseOf(header.timeBase));
  return j;
}

Json titleSetJson(const std::string& path, const VtiFile& vti) {
  Json j = Json::object();
  j["path"] = path;
  j["size"] = vti.fileSize;
  j["identifier"] = vti.identifier;
  j["advanced"] = vti.isAdvanced();
  if (vti.isAdvanced()) {
    if (vti.category) {
      j["category"] = *vti.category;
      j["category_name"] = vtiCategoryName(*vti.category);
    }
    if (vti.tableSector) j["attribute_table_sector"] = *vti.tableSector;
    if (vti.valueAfterTableSector) j["value_after_table_sector"] = *vti.valueAfterTableSector;
    if (vti.entryCount) j["entry_count"] = *vti.entryCount;
    if (vti.firstEntryOffset) j["first_entry_offset"] = *vti.firstEntryOffset;
    Json entries = Json::array();
    for (const VtiEntry& entry : vti.entries) {
      Json e = Json::object();
      e["main_video"] = videoAttributeJson(entry.mainVideo, true);
      if (entry.subVideo) e["sub_video"] = videoAttributeJson(*entry.subVideo, false);
      e["audio_count"] = entry.audioCount;
      Json audio = Json::array();
      for (const VtiAudioAttribute& a : entry.audio) audio.push_back(audioAttributeJson(a));
      e["audio"] = audio;
      entries.push_back(std::move(e));
    }
    j["entries"] = entries;
  }
  if (vti.cut) {
    Json cut = Json::object();
    cut["part"] = cutPartName(vti.cut->part);
    if (vti.cut->entry > 0) cut["entry"] = vti.cut->entry;
    cut["offset"] = vti.cut->offset;
    j["cut"] = cut;
  }
  return j;
}

}  // namespace vantrel::cli

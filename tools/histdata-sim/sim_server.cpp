#include "sim_server.h"

#include <chrono>
#include <cstdlib>
#include <thread>

namespace histsim {

Transcript::Transcript(const std::string& path) : file_(std::fopen(path.c_str(), "ab")) {}

void Transcript::Line(const std::string& text) {
    if (!file_) return;
    std::fputs(text.c_str(), file_.get());
    std::fputs("\r\n", file_.get());
    // Tests read the transcript while the stand-in runs.
    std::fflush(file_.get());
}

SimServer::SimServer(SimSettings settings, const std::string& transcriptPath)
    : settings_(std::move(settings)), transcript_(transcriptPath) {}

bool SimServer::Connect(const std::string& topic) {
    const bool accepted =
        !settings_.refuseConnect && (settings_.topic.empty() || Upper(settings_.topic) == Upper(topic));
    transcript_.Line("CONNECT " + topic + (accepted ? "" : " -> refused"));
    return accepted;
}

bool SimServer::Poke(const std::string& rawItem, const std::string& value, bool* exitNow) {
    const std::string item = Upper(rawItem);
    ++pokes_;
    *exitNow = settings_.exitAfterPokes != 0 && pokes_ >= settings_.exitAfterPokes;
    if (settings_.refusePoke.count(item)) {
        transcript_.Line("POKE " + item + "=" + value + " -> refused");
        return false;
    }
    transcript_.Line("POKE " + item + "=" + value);
    if (item == "WRITEFILE") {
        if (TrimBlanks(value) == "1") {
            Write();
        } else {
            status_ = "WRITEFILE expects 1";
        }
        return true;
    }
    // Any new parameter makes the last write's answer stale, so ERROR only says "None" for a
    // write ordered after the parameters it used.
    status_ = "No file written";
    if (item == "DATADIR") {
        order_.dataDir = value;
    } else if (item == "DBDIR") {
        order_.dbDir = value;
    } else if (item == "DURATION") {
        order_.duration = value;
    } else if (item == "INTERVAL") {
        order_.interval = value;
    } else if (item == "STARTTIME") {
        order_.startTime = value;
    } else if (item == "STARTDATE") {
        order_.startDate = value;
    } else if (item == "FILENAME") {
        order_.fileName = value;
    } else if (item == "TAGS") {
        // TAGS starts a new list; TAGS1, TAGS2 ... continue it.
        order_.tags.clear();
        order_.tags[0] = value;
    } else if (item.size() > 4 && item.compare(0, 4, "TAGS") == 0) {
        char* end = nullptr;
        const long n = std::strtol(item.c_str() + 4, &end, 10);
        if (*end == '\0' && n > 0) order_.tags[static_cast<int>(n)] = value;
    }
    return true;
}

std::optional<std::string> SimServer::Request(const std::string& rawItem, bool* exitNow) {
    const std::string item = Upper(rawItem);
    std::optional<std::string> answer;
    *exitNow = false;
    if (item == "ERROR") {
        answer = settings_.errorAnswerSet ? settings_.errorAnswer : status_;
        // The last file is confirmed before the stand-in goes, so it dies between two hours.
        *exitNow = exitAfterAnswer_;
    } else if (item == "DATADIR") {
        answer = order_.dataDir;
    } else if (item == "DBDIR") {
        answer = order_.dbDir;
    } else if (item == "DURATION") {
        answer = order_.duration;
    } else if (item == "INTERVAL") {
        answer = order_.interval;
    } else if (item == "STARTTIME") {
        answer = order_.startTime;
    } else if (item == "STARTDATE") {
        answer = order_.startDate;
    } else if (item == "FILENAME") {
        answer = order_.fileName;
    }
    transcript_.Line("REQUEST " + item + " -> " + (answer ? *answer : std::string("(not processed)")));
    if (item == "ERROR" && hangAfterAnswer_) {
        hanging_ = true;
        transcript_.Line("HANG");
    }
    return answer;
}

void SimServer::NoteHeld(const std::string& kind, const std::string& item, const std::string& value) {
    transcript_.Line(kind + " " + Upper(item) + (kind == "POKE" ? "=" + value : std::string()) + " -> held");
}

bool SimServer::FailThisHour() {
    if (settings_.failHours.empty()) return false;
    // STARTDATE mm/dd/yyyy and STARTTIME hh:... name the hour as yyyymmddhh.
    const std::string& d = order_.startDate;
    const std::string& t = order_.startTime;
    if (d.size() < 10 || t.size() < 2) return false;
    const std::string hour = d.substr(6, 4) + d.substr(0, 2) + d.substr(3, 2) + t.substr(0, 2);
    if (!settings_.failHours.count(hour)) return false;
    uint32_t& failed = failedWrites_[hour];
    if (failed >= settings_.failTimes) return false;
    ++failed;
    status_ = "Unable to read the history of " + hour + " (attempt " + std::to_string(failed) + ")";
    return true;
}

void SimServer::Write() {
    // A slow HistData: the DDE transaction waits as long as the real one would.
    if (settings_.fileDelayMs) std::this_thread::sleep_for(std::chrono::milliseconds(settings_.fileDelayMs));
    if (FailThisHour()) return;
    std::string csv, error;
    if (!BuildCsv(order_, settings_.fileShape, &csv, &error)) {
        status_ = error;
        return;
    }
    if (settings_.fileShape != FileShape::None) {
        std::FILE* f = std::fopen(order_.fileName.c_str(), "wb");
        if (!f) {
            status_ = "Unable to write file " + order_.fileName;
            return;
        }
        const bool ok = std::fwrite(csv.data(), 1, csv.size(), f) == csv.size();
        if (std::fclose(f) != 0 || !ok) {
            status_ = "Unable to write file " + order_.fileName;
            return;
        }
    }
    status_ = "None";
    ++files_;
    exitAfterAnswer_ = settings_.exitAfterFiles != 0 && files_ >= settings_.exitAfterFiles;
    hangAfterAnswer_ = settings_.hangAfterFiles != 0 && files_ >= settings_.hangAfterFiles;
}

}  // namespace histsim

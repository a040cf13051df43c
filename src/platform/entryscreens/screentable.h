#pragma once

#include <vector>

namespace entryscreens {

// What a cell of a screen shows.
enum class Cell {
    Title,     // the exam title (or the element, when Data gives it)
    Text,      // an element as given
    Range,     // "low - high" from two elements (element, high)
    Entry,     // a typed result, one line
    Memo,      // a typed result, several lines
    YesNo,     // a typed "Y" or "N"
    Flag,      // "H", "L" or empty, worked out from the result and its range
    Converted, // typed, or worked out by the conversion factor when one is given
    Prompt,    // one prompt line of the exam
    Alarm,     // "CRITICAL" or "DELTA" when the result check says so
    Previous,  // the patient's previous result of the exam, with its date
};

enum class Layout {
    Rows,   // one line per exam, captions above
    Lines,  // one line per prompt line of each exam
    Blocks, // one block of the default height per exam, captions beside
};

enum class Lookup {
    None,
    Template, // element 1 starts from the looked-up text when no earlier value is given
    Prompts,  // the looked-up text holds the prompt lines
};

struct Column {
    const char* caption;
    Cell cell;
    int element; // 0: none
    int chars;   // width in average characters (rows and lines); 0 takes the rest
    int high = 0;
};

// Flag: result element against a low and a high element.
struct Check {
    int result, low, high;
};

// Elements that the save reads as numbers: a typed result there must be one.
struct Numbers {
    std::vector<int> elements = {};
    // Set: only for an exam whose range starts with a number in this element.
    int range = 0;
    // Screen codes whose layout keeps the result as text.
    std::vector<const char*> textCodes = {};
};

struct ScreenTable {
    const char* name;
    const char* heading = ""; // caption of a blocks screen
    Layout layout;
    int upper; // the Result array's upper bound
    std::vector<Column> columns = {};
    Lookup lookup = Lookup::None;
    int flag = 0; // element of the flag
    int unit = 0; // element of the result's unit
    std::vector<Check> checks = {};
    int converted = 0, from = 0, factor = 0; // SI = conventional x factor
    Numbers numbers = {};
    int lineTwips = 300;
    int headerTwips = 300;
    // The first check's result may be checked against the laboratory's own
    // ranges, critical limits and the patient's previous result; its Alarm
    // and Previous columns show only while some exam has such a check.
    bool resultChecks = false;
};

} // namespace entryscreens

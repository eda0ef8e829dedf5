// The steps a user takes in a journey through the window, drawn at random from a seed. A
// step carries its random choices with it, read against the window as it then stands (a row
// "a" is row a modulo the rows there are), so that any steps can be dropped from a sequence
// and the rest still means something: that is how a failing sequence is shortened.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

namespace journey {

enum class Act {
    Record,          // transport bar, menu or Ctrl+R
    Pause,           // transport bar or menu
    Stop,            // transport bar, menu or Ctrl+S
    Play,            // transport bar, menu, Ctrl+P, or the list's own Play
    Wait,            // the user looks at the window for a moment
    Slider,          // drags the position slider to a place
    ClickRow,        // clicks a row of the list
    Rename,          // renames the clicked row's file
    DeleteFromDisk,  // deletes the clicked row's file
    TagApply,        // types a title and presses Apply
    Open,            // File > Open of a prepared file
    Mute,            // the transport bar's mute switch
    Volume,          // the transport bar's volume
    Format,          // Options: another record format
    AutoStop,        // the auto-stop button: a limit, or none
    AutoSplit,       // Options: split every few seconds, or not
    Restart,         // closes the window and starts the program again
};

struct Step {
    Act act;
    uint32_t a = 0;  // the step's random choices, 0..999, read as the step needs them
    uint32_t b = 0;
};

// A sequence of `count` steps drawn from `seed`, weighted towards what users do most.
std::vector<Step> drawSteps(uint32_t seed, int count);

QString describe(const Step &step);
QString describe(const std::vector<Step> &steps);

}  // namespace journey

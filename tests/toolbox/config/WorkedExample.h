#pragma once

// The settings of a first run, written as the configuration file holds them: sections and
// parameters in case-folded order, parameters before subsections, a blank line between
// subsections, one tab of indentation per level.
inline constexpr char kWorkedExample[] =
    "<Application>\n"
    "\t<OnceActions>\n"
    "\t\t<FirstRun>0</>\n"
    "\t</OnceActions>\n"
    "</Application>\n"
    "\n"
    "<MainFrame>\n"
    "\t<Maximized>0</>\n"
    "\t<XPos>50</>\n"
    "\t<XSize>500</>\n"
    "\t<YPos>50</>\n"
    "\t<YSize>300</>\n"
    "</MainFrame>\n";

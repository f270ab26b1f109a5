#pragma once

// One slot of a section's column: the parameter index whose control goes
// there, its height in rows, the empty rows above it, and how many column
// widths it spans (1 = its own column; 3 = reaching over two more columns).
struct UIParameter
{
    int id;
    float height;
    float spaceBefore;
    float widthFraction;
};

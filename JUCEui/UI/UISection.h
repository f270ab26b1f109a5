#pragma once

class Section;

// One section on a page (not owned) and its share of the page's width.
struct UISection
{
    Section* section;
    int weight;
};

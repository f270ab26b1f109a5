// Placeholder translation unit so the library has a source until its blocks land.

// Registration of every description class that a scene document can name.
#pragma once

// Enters the reader of every description kind with the reader registry. Programs and tests
// call it once before the first document is read; calling it again changes nothing. The shared
// bases (DS_ABObj_Constructor, DS_ViewObjCtrl, DS_BaseSpriteProp) are never named at the top
// of a record, so they have no reader of their own; each object kind adds its own line here.
// It also installs the reader of the older documents' object lists.
void RegisterSceneReaders();

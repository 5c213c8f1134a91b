#pragma once
// "Get mp3": writes every music file of the packed data file's index into the
// current folder. Needs read mode and a filled index.
void export_mp3_files();

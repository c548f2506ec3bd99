// The loaders' one platform call, without a platform: fuzzing shows no message boxes.
void showMessageBox(const char*, const char*) {}

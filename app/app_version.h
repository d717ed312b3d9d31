// The application's version, product code and preferences domain.
#pragma once

constexpr int kAppVersionMajor = 2;
constexpr int kAppVersionMinor = 6;
// The product number the software-update service knows this application by.
constexpr int kAppProductCode = 1389;
constexpr const char* kAppPreferencesDomain = "com.orrinvale.glimmerbox2Pro";
// The application's folder in the user's temporary items.
constexpr const char* kAppWorkFolderName = "_glimmerbox2";

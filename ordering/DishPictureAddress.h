#pragma once

#include <string>

struct OKFoodObject;

// The address of a dish's picture on the venue's picture page, on the venue server's host and
// its web-service port: "http://HOST:PORT/GetPhoto.aspx?Flag=1&id=DISH&width=W&height=H&time=T".
// The time is when the dish's picture last changed, so a new picture gets a new address (and a
// cache entry of its own).
std::string dishPictureAddress(const OKFoodObject& dish, int width, int height);

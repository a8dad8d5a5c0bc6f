#!/usr/bin/python3
"""Draws the launcher's pictures and icon into this folder.

Run it after changing a picture; its output is committed, so a build never
needs Python. Needs python3-pil, fonts-nanum and fonts-dejavu-core (scripts/install-deps.sh).

    background.jpg  316 x 123  window frame, title band and white panel
    confirm.jpg      48 x 27   the confirm ("확인") button
    xbutton.jpg      16 x 16   the X button: the piece of the title band under it
    selvane.ico      32 x 32 and 16 x 16, 24-bit colour with a transparency mask
"""
import os
import struct

from PIL import Image, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
BOLD_FONT = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf"
HEAVY_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

# Where the X button sits on the background picture. The picture is placed
# one pixel to the left of the window, so window x 298 is picture column 299.
XBUTTON_ON_BACKGROUND = (299, 1)
XBUTTON_SIZE = 16

# Stored at the highest quality without chroma subsampling: the X button must
# decode to the pixels of the background under it, and two pictures whose
# 8 x 8 blocks lie differently can only come within a step or two of that.
JPEG_OPTIONS = {"quality": 100, "subsampling": 0}


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def supersampled(size, factor, draw):
    """Draws at `factor` times the size and scales down, for soft edges."""
    big = Image.new("RGBA", (size[0] * factor, size[1] * factor), (0, 0, 0, 0))
    draw(ImageDraw.Draw(big), factor)
    return big.resize(size, Image.LANCZOS)


def draw_background():
    width, height = 316, 123
    image = Image.new("RGB", (width, height), hex_colour("#FCFCFC"))
    px = image.load()
    outline = hex_colour("#151829")
    band_top, band_bottom = hex_colour("#56607B"), hex_colour("#2D384E")
    band_line = hex_colour("#20263C")
    frame_outer, frame_inner = hex_colour("#3B455E"), hex_colour("#293448")

    for y in range(height):
        for x in range(width):
            if x in (0, width - 1) or y in (0, height - 1):
                colour = outline
            elif y <= 16:
                colour = mix(band_top, band_bottom, (y - 1) / 15)
            elif y == 17:
                colour = band_line
            elif x == 1 or x == width - 2 or y == height - 2:
                colour = frame_outer
            elif x == 2 or x == width - 3 or y == height - 3:
                colour = frame_inner
            else:
                continue
            px[x, y] = colour

    # "Auto Update" at the left of the band, about x 5..60 and y 5..13.
    title = supersampled((width, height), 4, lambda d, f: d.text(
        (5 * f, 4 * f), "Auto Update", fill=hex_colour("#EFF0F4") + (255,),
        font=ImageFont.truetype(BOLD_FONT, 9 * f)))
    image.paste(title, (0, 0), title)

    # The light X glyph at the right of the band, about x 302..309, y 5..12.
    cross = supersampled((width, height), 8, lambda d, f: [
        d.line([(302 * f, 5 * f), (310 * f, 13 * f)], fill=hex_colour("#BBBFCA") + (255,), width=int(1.6 * f)),
        d.line([(310 * f, 5 * f), (302 * f, 13 * f)], fill=hex_colour("#BBBFCA") + (255,), width=int(1.6 * f)),
    ])
    image.paste(cross, (0, 0), cross)
    return image


def draw_confirm():
    width, height = 48, 27
    top, bottom = hex_colour("#FFFFFF"), hex_colour("#F3F3F3")

    def face(d, f):
        d.rounded_rectangle([0, 0, width * f - 1, height * f - 1], radius=4 * f,
                            fill=hex_colour("#9E9E9E") + (255,))
        inner = Image.new("RGBA", (width * f, height * f))
        gradient = inner.load()
        for y in range(height * f):
            colour = mix(top, bottom, y / (height * f - 1)) + (255,)
            for x in range(width * f):
                gradient[x, y] = colour
        mask = Image.new("L", inner.size, 0)
        ImageDraw.Draw(mask).rounded_rectangle([f, f, (width - 1) * f - 1, (height - 1) * f - 1],
                                               radius=3 * f, fill=255)
        d._image.paste(inner, (0, 0), mask)
        font = ImageFont.truetype(BOLD_FONT, 12 * f)
        d.text((width * f / 2, height * f / 2), "확인", fill=hex_colour("#222222") + (255,),
               font=font, anchor="mm")

    button = supersampled((width, height), 4, face)
    image = Image.new("RGB", (width, height), hex_colour("#FCFCFC"))  # the panel it sits on
    image.paste(button, (0, 0), button)
    return image


def save_jpeg(image, name):
    image.save(os.path.join(HERE, name), "JPEG", **JPEG_OPTIONS)


def decode(path):
    return Image.open(path).convert("RGB")


def draw_icon_image(size):
    """A green rounded square, lighter at the top, with a white "S" and its soft shadow."""
    factor = 16
    s = size * factor
    shape = supersampled((size, size), factor, lambda d, f: d.rounded_rectangle(
        [0, 0, s - 1, s - 1], radius=s * 0.22, fill=(0, 0, 0, 255))).getchannel("A")

    green = Image.new("RGBA", (size, size))
    light, dark = hex_colour("#4CC46A"), hex_colour("#1E8A3C")
    for y in range(size):
        for x in range(size):
            green.putpixel((x, y), mix(light, dark, y / (size - 1)) + (255,))
    green.putalpha(shape)

    font = ImageFont.truetype(HEAVY_FONT, int(s * 0.85))

    def letter(colour, offset):
        return supersampled((size, size), factor, lambda d, f: d.text(
            (s / 2 + offset, s / 2 + offset), "S", fill=colour, font=font, anchor="mm"))

    shadow = letter((0, 40, 10, 170), s * 0.06).filter(ImageFilter.GaussianBlur(max(0.7, size / 24)))

    image = Image.new("RGBA", (size, size))
    image.alpha_composite(green)
    image.alpha_composite(shadow)
    image.alpha_composite(letter((255, 255, 255, 255), 0))
    opaque = [a >= 128 for a in shape.getdata()]
    return image.convert("RGB"), opaque


def icon_entry(size):
    """One icon image: BITMAPINFOHEADER, 24-bit colour rows, 1-bit AND mask, bottom-up."""
    image, opaque = draw_icon_image(size)
    px = image.load()
    colour_rows, mask_rows = [], []
    for y in reversed(range(size)):
        row = bytearray()
        bits = bytearray((size + 31) // 32 * 4)
        for x in range(size):
            if opaque[y * size + x]:
                r, g, b = px[x, y]
                row += bytes((b, g, r))
            else:
                row += b"\0\0\0"
                bits[x // 8] |= 0x80 >> (x % 8)
        row += b"\0" * (-len(row) % 4)
        colour_rows.append(bytes(row))
        mask_rows.append(bytes(bits))
    pixels = b"".join(colour_rows) + b"".join(mask_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    return header + pixels


def save_icon(name, sizes):
    images = [icon_entry(size) for size in sizes]
    offset = 6 + 16 * len(images)
    out = struct.pack("<HHH", 0, 1, len(images))
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(data), offset)
        offset += len(data)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out + b"".join(images))


def main():
    save_jpeg(draw_background(), "background.jpg")
    decoded_background = decode(os.path.join(HERE, "background.jpg"))
    left, top = XBUTTON_ON_BACKGROUND
    band_piece = decoded_background.crop((left, top, left + XBUTTON_SIZE, top + XBUTTON_SIZE))
    # The X button shows the band as the decoder gives it back, not as drawn,
    # so it lines up with the background around it.
    save_jpeg(band_piece, "xbutton.jpg")
    save_jpeg(draw_confirm(), "confirm.jpg")
    save_icon("selvane.ico", (32, 16))


if __name__ == "__main__":
    main()

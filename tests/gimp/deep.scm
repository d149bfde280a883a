; 16-bit PNG files: GIMP loads them at 16-bit perceptual precision and hands
; the plug-in 8-bit values; the command-line tool must read the same bytes
; from the same file, so its renders equal GIMP's byte for byte. The files
; of samples next to every rounding boundary are two rows high: the render
; keeps every pixel of such a region as read, so they compare the 8-bit
; values themselves.
;
; Palette files whose pixels name entries beyond the palette, which PNG
; calls an error: GIMP loads them, and once the image is RGB such a pixel
; has the colour of the last entry and the alpha of its own index. The
; tool must read them the same.

; Kinds of test-ormolo2-write-deep-png.
(define rounding-edges-rgb 0)
(define rounding-edges-rgba 1)
(define shape-rgb 2)
(define shape-rgba-gamma 3)
(define shape-grey 4)
(define shape-grey-alpha 5)
(define palette-edges 6)
(define palette-edges-alpha 7)
(define palette-shape 8)

; Writes the file of `kind` under the name of the case, where the driver
; looks for it, loads it as the user would (at `expected-precision`),
; renders it with `settings` and asks the driver to compare the render with
; the tool's render of the same file.
(define (expect-deep-render case-name kind expected-precision settings)
  (let ((file (path (string-append case-name "-in.png"))))
    (test-ormolo2-write-deep-png RUN-NONINTERACTIVE file kind)
    (let* ((image (car (gimp-file-load RUN-NONINTERACTIVE file file)))
           (layer (car (gimp-image-get-active-layer image)))
           (precision (car (gimp-image-get-precision image))))
      (check (string-append case-name "-loads-at-its-precision") (= precision expected-precision) precision)
      ; The filter takes RGB drawables, so a grey or palette file is
      ; converted first.
      (if (not (= (car (gimp-image-base-type image)) RGB))
          (gimp-image-convert-rgb image))
      (let ((result (try (lambda () (render-noninteractive image layer settings)))))
        (check (string-append case-name "-runs") (not (failed? result)) result))
      (save-png layer (string-append case-name "-gimp.png"))
      (gimp-image-delete image)
      (write-line manifest "render " case-name " - " (settings-arguments settings)))))

; Each of `renders` (name suffix, settings) of the file of `kind`.
(define (expect-deep-renders name kind renders)
  (for-each (lambda (render)
              (expect-deep-render (string-append name "-" (car render)) kind PRECISION-U16-GAMMA (cadr render)))
            renders))

(define flat '(0 1 3 10 7 20))

(expect-deep-renders "rounding-edges-rgb" rounding-edges-rgb (list (list "as-read" default-settings)))
(expect-deep-renders "rounding-edges-rgba" rounding-edges-rgba (list (list "as-read" default-settings)))
(expect-deep-renders "shape-rgb" shape-rgb (list (list "round2" default-settings) (list "flat" flat)))
(expect-deep-renders "shape-rgba-gamma" shape-rgba-gamma
                     (list (list "round2" default-settings) (list "round-inverted" '(1 2 3 10 7 20))))
(expect-deep-renders "shape-grey" shape-grey (list (list "round2" default-settings)))
(expect-deep-renders "shape-grey-alpha" shape-grey-alpha (list (list "flat" '(0 1 5 4 7 20))))

(expect-deep-render "palette-edges" palette-edges PRECISION-U8-GAMMA default-settings)
(expect-deep-render "palette-edges-alpha" palette-edges-alpha PRECISION-U8-GAMMA default-settings)
(expect-deep-render "palette-shape-round2" palette-shape PRECISION-U8-GAMMA default-settings)
(expect-deep-render "palette-shape-flat" palette-shape PRECISION-U8-GAMMA flat)
